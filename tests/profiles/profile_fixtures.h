#pragma once

#include <string>
#include <string_view>

namespace pictavo::test {

// A complete, valid profile file text: video mpeg4 / 320x240 / 768 / 29.97, audio aac / 128 /
// 44100 / 2, each parameter with a short value list, and the given long description and
// list_index.
std::string profileText(const std::string& descL = "Profile", int listIndex = 0);

// A catalogue file text announcing count groups, followed by the given group elements.
std::string catalogueText(int count, const std::string& groupElements);
// One group element: <group id=".." desc=".." folder=".."/>.
std::string groupElement(int id, const std::string& desc, const std::string& folder);

// The text with the first occurrence of from replaced by to (the text unchanged when from does
// not occur; tests check that it did).
std::string replaceFirst(std::string text, std::string_view from, std::string_view to);

// ASCII text as UTF-16 little-endian bytes, with or without the FF FE mark.
std::string utf16Bytes(const std::string& ascii, bool withMark);

} // namespace pictavo::test
