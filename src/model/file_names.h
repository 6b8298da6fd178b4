#pragma once

#include <string>

namespace pictavo {

// A name that can be used as one file name inside a folder whatever the given text holds:
// "/", "\", the characters  : * ? " < > |, control characters and leading dots are written as
// "%" and two hexadecimal digits, and so is a "%" that is followed by two hexadecimal digits.
// Ordinary names come back unchanged, and two different names never give the same result,
// so files derived from distinct names stay distinct. An empty text gives "%00".
std::string safeFileName(const std::string& name);

// The file name part of a path: the text after its last "/" (the whole text without one).
std::string fileNameOf(const std::string& path);

// The text up to the last "/" of a path ("" without one).
std::string folderOf(const std::string& path);

} // namespace pictavo
