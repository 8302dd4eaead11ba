#pragma once

// The page skeleton: thirteen lines, each ended by CR LF, every attribute of the body tag
// present with an empty value for the user to fill in.
inline constexpr char kPageSkeleton[] =
    "<html>\r\n"
    "\r\n"
    "<head>\r\n"
    "<title>\r\n"
    "\r\n"
    "</title>\r\n"
    "</head>\r\n"
    "\r\n"
    "<body background=\"\" bgcolor=\"\" text=\"\" link=\"\" alink=\"\" vlink=\"\">\r\n"
    "\r\n"
    "</body>\r\n"
    "\r\n"
    "</html>\r\n";
