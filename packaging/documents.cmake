# What a Debian package must carry besides the program: the copyright and change log under
# share/doc and the manual pages, compressed the way the policy asks (gzip -9, no name or
# time stamp, so rebuilds give the same bytes).
set(vornik_doc_dir share/doc/vornikedit)
set(vornik_compressed)
function(vornik_gzip source output)
  add_custom_command(OUTPUT ${output}
                     COMMAND gzip -9nc ${source} > ${output}
                     DEPENDS ${source} VERBATIM)
  set(vornik_compressed ${vornik_compressed} ${output} PARENT_SCOPE)
endfunction()

set(gz ${CMAKE_CURRENT_BINARY_DIR}/compressed)
file(MAKE_DIRECTORY ${gz}/man1 ${gz}/ja/man1)
vornik_gzip(${CMAKE_CURRENT_SOURCE_DIR}/changelog ${gz}/changelog.gz)
# The pages name the program's version in their header.
foreach(page vornikedit vornikedit-send)
  foreach(lang en ja)
    set(from ${CMAKE_SOURCE_DIR}/docs/man/${page}.1)
    set(to ${gz}/man1/${page}.1.gz)
    if(lang STREQUAL ja)
      set(from ${CMAKE_SOURCE_DIR}/docs/man/ja/${page}.1)
      set(to ${gz}/ja/man1/${page}.1.gz)
    endif()
    configure_file(${from} ${CMAKE_CURRENT_BINARY_DIR}/man/${lang}/${page}.1 @ONLY)
    vornik_gzip(${CMAKE_CURRENT_BINARY_DIR}/man/${lang}/${page}.1 ${to})
  endforeach()
endforeach()
add_custom_target(vornik_documents ALL DEPENDS ${vornik_compressed})

install(FILES copyright ${gz}/changelog.gz DESTINATION ${vornik_doc_dir})
install(DIRECTORY ${gz}/man1 DESTINATION share/man)
install(DIRECTORY ${gz}/ja/man1 DESTINATION share/man/ja)
