#pragma once
// File names are bytes on Linux, QString holds text. A name that is not valid
// UTF-8 (a Latin-1 name copied from an old disk) must still be found, created and
// shown: its stray bytes travel in a QString as the lone surrogates U+DC80..U+DCFF,
// one per byte, and come back byte for byte at the file system. Every path that
// goes between QString and the engine goes through these two functions.

#include <QString>

#include <filesystem>
#include <string_view>

namespace dataset {

QString fromNativePath(const std::filesystem::path& path);
QString fromNativeBytes(std::string_view bytes);
std::filesystem::path toNativePath(const QString& name);
std::string toNativeBytes(const QString& name);

// The name as a person reads it: stray bytes shown as the Windows-1252 letters
// they most likely were (for a dictionary entry or a message, never for a path).
QString readableName(const QString& name);

} // namespace dataset
