#pragma once

#include <QString>

// Small things the site windows remember between runs, in the state folder: the file name
// patterns last used, and the root folder of each site for links that start with "/".
QString rememberedNamePatterns();
void rememberNamePatterns(const QString& patterns);

// The remembered root of the site `pagePath` belongs to: the deepest one above it; empty when none.
QString rememberedSiteRoot(const QString& pagePath);
void rememberSiteRoot(const QString& root);
