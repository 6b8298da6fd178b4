#include "model/file_names.h"

#include <cctype>
#include <cstring>

namespace pictavo {

namespace {

bool isHexDigit(char c)
{
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

void appendEscaped(std::string& out, unsigned char c)
{
    static const char digits[] = "0123456789ABCDEF";
    out += '%';
    out += digits[c >> 4];
    out += digits[c & 15];
}

} // namespace

std::string safeFileName(const std::string& name)
{
    if (name.empty())
        return "%00";
    std::string out;
    out.reserve(name.size());
    bool leading = true;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        bool escape = false;
        if (c < 0x20 || c == 0x7f || std::strchr("/\\:*?\"<>|", c) != nullptr)
            escape = true;
        else if (c == '.' && leading)
            escape = true;
        else if (c == '%')
            escape = i + 2 < name.size() && isHexDigit(name[i + 1]) && isHexDigit(name[i + 2]);
        if (c != '.')
            leading = false;
        if (escape)
            appendEscaped(out, c);
        else
            out += static_cast<char>(c);
    }
    return out;
}

std::string fileNameOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string folderOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

} // namespace pictavo
