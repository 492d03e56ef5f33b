#pragma once

#include <QList>
#include <QUrl>
#include <string>

namespace platform {

// The got-file text of dropped URLs: the path of every local file ("file://" with no host or
// "localhost"), percent-decoded to the name's bytes; one path alone, or every path followed by
// "\r\n". Other URLs, relative paths and names that the text cannot carry (a NUL, or "\r\n" that
// would split one name into two) are left out. Empty when no file is left.
std::string GotFileText(const QList<QUrl>& urls);

// Whether GotFileText would give some text, without building it.
bool HasLocalFile(const QList<QUrl>& urls);

}  // namespace platform
