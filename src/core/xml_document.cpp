#include "core/xml_document.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace pictavo {
namespace {

using std::size_t;
constexpr size_t npos = std::string::npos;

// Offsets are kept as int; texts are kept well below the limit so that every offset and every
// length difference of an edit fits.
constexpr size_t kMaxTextLength = INT_MAX / 2;

constexpr int kNotFound = 0;
constexpr int kFound = 1;
constexpr int kUnusable = 2; // the name is there but its value cannot be read or replaced

bool isWhite(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool isDelimiter(char c)
{
    switch (c) {
    case ' ':
    case '\t':
    case '\n':
    case '\r':
    case '<':
    case '>':
    case '=':
    case '\\':
    case '/':
    case '?':
    case '!':
        return true;
    default:
        return false;
    }
}

// Advances over white space but never onto the end of the text: a white-space character
// directly before the end stays current.
size_t skipWhite(std::string_view text, size_t pos)
{
    while (pos + 1 < text.size() && isWhite(text[pos]))
        ++pos;
    return pos;
}

struct Token {
    size_t start = 0;  // first character of the token's text
    size_t length = 0; // length of the token's text (quotes excluded)
    size_t next = 0;   // where scanning resumes
    bool quoted = false;

    std::string_view in(std::string_view text) const { return text.substr(start, length); }
    bool is(std::string_view text, std::string_view what) const
    {
        return !quoted && in(text) == what;
    }
};

// Reads the token at or after pos. False when nothing is left.
bool nextToken(std::string_view text, size_t pos, Token& token)
{
    pos = skipWhite(text, pos);
    if (pos >= text.size())
        return false;
    const char c = text[pos];
    if (c == '"' || c == '\'') {
        const size_t close = text.find(c, pos + 1);
        token.quoted = true;
        token.start = pos + 1;
        if (close == npos) {
            token.length = text.size() - token.start;
            token.next = text.size();
        } else {
            token.length = close - token.start;
            token.next = close + 1;
        }
        return true;
    }
    token.quoted = false;
    token.start = pos;
    if (isDelimiter(c)) {
        token.length = 1;
    } else {
        size_t end = pos + 1;
        while (end < text.size() && !isDelimiter(text[end]))
            ++end;
        token.length = end - pos;
    }
    token.next = token.start + token.length;
    return true;
}

// A token from the text matches a wanted name when the wanted name starts with it and goes
// on with its end or one of space, "=", "/", "[" ("cover index" matches '<cover index>').
bool nameMatches(std::string_view token, std::string_view wanted)
{
    if (wanted.substr(0, token.size()) != token || wanted.size() < token.size())
        return false;
    if (wanted.size() == token.size())
        return true;
    const char next = wanted[token.size()];
    return next == ' ' || next == '=' || next == '/' || next == '[';
}

// Names this layer writes into the text itself. Anything that would change the markup around
// it (an empty name, quotes, angle brackets, "&", "/", "=", control characters, leading white
// space) is refused. Element names may hold inner spaces ("cover index"); attribute names not.
bool isWritableName(std::string_view name, bool allowSpace)
{
    if (name.empty() || name.front() == ' ' || name.size() > kMaxTextLength / 8)
        return false;
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7f)
            return false;
        switch (c) {
        case '<':
        case '>':
        case '&':
        case '"':
        case '\'':
        case '/':
        case '=':
        case '?':
        case '!':
        case '\\':
            return false;
        case ' ':
            if (!allowSpace)
                return false;
            break;
        default:
            break;
        }
    }
    return true;
}

std::string escapeText(std::string_view text, bool attribute)
{
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (const char c : text) {
        switch (c) {
        case '<':
            out += "&lt;";
            break;
        case '&':
            out += "&amp;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '\'':
            if (attribute)
                out += "&apos;";
            else
                out += c;
            break;
        case '"':
            if (attribute)
                out += "&quot;";
            else
                out += c;
            break;
        default:
            out += c;
            break;
        }
    }
    return out;
}

void appendUtf8(std::string& out, unsigned cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Little-endian UTF-16 to UTF-8. Unpaired surrogates and a dangling odd byte become U+FFFD.
std::string utf16LeToUtf8(std::string_view bytes)
{
    constexpr unsigned kReplacement = 0xFFFD;
    std::string out;
    out.reserve(bytes.size());
    const size_t units = bytes.size() / 2;
    auto unitAt = [&](size_t i) {
        return static_cast<unsigned>(static_cast<unsigned char>(bytes[2 * i])) |
               (static_cast<unsigned>(static_cast<unsigned char>(bytes[2 * i + 1])) << 8);
    };
    for (size_t i = 0; i < units; ++i) {
        const unsigned u = unitAt(i);
        if (u >= 0xD800 && u <= 0xDBFF) {
            if (i + 1 < units) {
                const unsigned low = unitAt(i + 1);
                if (low >= 0xDC00 && low <= 0xDFFF) {
                    appendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                    ++i;
                    continue;
                }
            }
            appendUtf8(out, kReplacement);
        } else if (u >= 0xDC00 && u <= 0xDFFF) {
            appendUtf8(out, kReplacement);
        } else {
            appendUtf8(out, u);
        }
    }
    if (bytes.size() % 2 != 0)
        appendUtf8(out, kReplacement);
    return out;
}

} // namespace

XmlDocument::XmlDocument()
{
    setText({});
}

// ---------------------------------------------------------------------------------------------
// Parsing

bool XmlDocument::setText(std::string_view text)
{
    text_.assign(text.data(), text.size());
    error_.clear();
    free_ = 1;
    parent_ = current_ = child_ = 0;
    valid_ = false;
    if (text_.size() > kMaxTextLength) {
        records_.assign(8, ElementRecord{});
        error_ = "Document too large";
        return false;
    }
    records_.assign(text_.size() / 64 + 8, ElementRecord{});
    if (text_.empty())
        return false;
    const int root = parseDocument();
    records_[0] = ElementRecord{};
    if (root > 0) {
        records_[0].firstChild = root;
        return true;
    }
    free_ = 1;
    return false;
}

bool XmlDocument::isWellFormed() const
{
    return !records_.empty() && records_[0].firstChild != 0;
}

int XmlDocument::takeRecord()
{
    if (free_ >= static_cast<int>(records_.size()))
        records_.resize(records_.size() + std::max<size_t>(1, records_.size() / 2));
    records_[free_] = ElementRecord{};
    return free_++;
}

int XmlDocument::parseFailure(const char* message, std::string_view name)
{
    std::string text = message;
    const size_t mark = text.find("%s");
    if (mark != npos)
        text.replace(mark, 2, name);
    error_ = std::move(text);
    return -1;
}

// Skips a "<!...>" or "<?...>" node whose "!" or "?" stands at markPos.
bool XmlDocument::skipNode(size_t markPos, size_t& after) const
{
    const std::string_view text = text_;
    if (markPos + 2 >= text.size())
        return false;
    auto skipTo = [&](std::string_view closing, size_t from) {
        const size_t at = text.find(closing, from);
        if (at == npos)
            return false;
        after = at + closing.size();
        return true;
    };
    if (text[markPos] == '?')
        return skipTo("?>", markPos + 1);
    if (text[markPos + 1] == '[')
        return skipTo("]]>", markPos + 2);
    if (text[markPos + 1] == '-')
        return skipTo("-->", markPos + 2);
    // A document type declaration: read token by token, brackets counted, up to the first
    // unquoted ">" outside brackets.
    long depth = 0;
    size_t pos = markPos + 1;
    Token token;
    while (nextToken(text, pos, token)) {
        pos = token.next;
        if (token.quoted)
            continue;
        const std::string_view t = token.in(text);
        if (t == ">" && depth == 0) {
            after = token.next;
            return true;
        }
        for (const char c : t) {
            if (c == '[')
                ++depth;
            else if (c == ']')
                --depth;
        }
    }
    return false;
}

// Parses the document element. The parse walks the text once; the elements whose children are
// being read wait on an explicit stack, so deep nesting cannot exhaust the call stack. While
// an element's children are read, its endTagStart is its running scan position.
int XmlDocument::parseDocument()
{
    const std::string_view text = text_;
    struct Open {
        int index;
        int lastChild;
        std::string_view name;
    };
    std::vector<Open> open;
    for (;;) {
        const int parent = open.empty() ? 0 : open.back().index;
        const int r = takeRecord();
        records_[r].parent = parent;
        records_[r].startTagStart = records_[parent].endTagStart;
        size_t pos = static_cast<size_t>(records_[parent].endTagStart);
        Token token;
        for (;;) {
            const size_t lt = text.find('<', pos);
            if (lt == npos)
                return parseFailure("Element tag not found");
            records_[r].startTagStart = static_cast<int>(lt);
            records_[parent].endTagStart = static_cast<int>(lt);
            if (!nextToken(text, lt + 1, token))
                return parseFailure("Abrupt end within tag");
            if (token.quoted)
                return parseFailure("Tag starts with quote");
            if (token.is(text, "!") || token.is(text, "?")) {
                if (!skipNode(token.start, pos))
                    return parseFailure("Invalid node");
                continue;
            }
            break;
        }

        int result = 0;
        if (token.is(text, "/")) {
            --free_; // an end tag of the parent: no element here
        } else {
            const std::string_view name = token.in(text);
            const size_t gt = text.find('>', token.next);
            if (gt == npos)
                return parseFailure("End of tag not found");
            records_[r].startTagEnd = static_cast<int>(gt);
            if (text[gt - 1] == '/') {
                records_[r].endTagStart = static_cast<int>(gt - 1);
                records_[r].endTagEnd = static_cast<int>(gt);
                result = r;
            } else {
                records_[r].endTagStart = static_cast<int>(gt + 1);
                open.push_back({r, 0, name});
                continue; // read its children
            }
        }

        // Hand the result up: a new child is linked and the parent reads on; an end tag closes
        // the parent, which is then the result one level higher.
        for (;;) {
            if (open.empty())
                return result;
            Open& top = open.back();
            if (result > 0) {
                if (top.lastChild == 0)
                    records_[top.index].firstChild = result;
                else
                    records_[top.lastChild].nextSibling = result;
                top.lastChild = result;
                records_[top.index].endTagStart = records_[result].endTagEnd + 1;
                break;
            }
            const size_t lt = text.find('<', static_cast<size_t>(records_[top.index].endTagStart));
            if (lt == npos)
                return parseFailure("End tag of %s element not found", top.name);
            Token slash;
            if (!nextToken(text, lt + 1, slash))
                return parseFailure("End tag not completed for element %s", top.name);
            if (!slash.is(text, "/"))
                return parseFailure("Expecting end tag of element %s", top.name);
            Token name;
            if (!nextToken(text, slash.next, name))
                return parseFailure("End tag not completed for element %s", top.name);
            if (!nameMatches(name.in(text), top.name))
                return parseFailure("End tag does not correspond to %s", top.name);
            size_t scan = name.next;
            for (;;) {
                Token t;
                if (!nextToken(text, scan, t))
                    return parseFailure("End tag not completed for element %s", top.name);
                scan = t.next;
                if (t.is(text, ">")) {
                    records_[top.index].endTagStart = static_cast<int>(lt);
                    records_[top.index].endTagEnd = static_cast<int>(t.start);
                    break;
                }
            }
            result = top.index;
            open.pop_back();
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Cursor

bool XmlDocument::findElement(std::string_view name)
{
    if (records_.empty())
        return false;
    int at = current_ != 0 ? records_[current_].nextSibling : records_[parent_].firstChild;
    for (; at != 0; at = records_[at].nextSibling) {
        if (name.empty() || nameMatches(tagNameOf(at), name)) {
            current_ = at;
            parent_ = records_[at].parent;
            child_ = 0;
            valid_ = true;
            return true;
        }
    }
    return false;
}

bool XmlDocument::enterElement()
{
    if (current_ == 0 || !valid_)
        return false;
    parent_ = current_;
    current_ = child_;
    child_ = 0;
    valid_ = current_ != 0;
    return true;
}

bool XmlDocument::leaveElement()
{
    if (parent_ == 0)
        return false;
    child_ = current_;
    current_ = parent_;
    parent_ = records_[current_].parent;
    valid_ = true;
    return true;
}

// ---------------------------------------------------------------------------------------------
// Reading

bool XmlDocument::isEmptyElement(int index) const
{
    const ElementRecord& r = records_[index];
    return r.startTagEnd == r.endTagStart + 1;
}

bool XmlDocument::hasNoContent(int index) const
{
    const ElementRecord& r = records_[index];
    return r.startTagEnd + 1 == r.endTagStart;
}

int XmlDocument::lastChild(int index) const
{
    int last = 0;
    for (int c = records_[index].firstChild; c != 0; c = records_[c].nextSibling)
        last = c;
    return last;
}

std::string_view XmlDocument::tagNameOf(int index) const
{
    const std::string_view text = text_;
    Token token;
    if (!nextToken(text, static_cast<size_t>(records_[index].startTagStart) + 1, token))
        return {};
    return token.in(text);
}

std::string XmlDocument::tagName() const
{
    if (current_ == 0 || !valid_)
        return {};
    return std::string(tagNameOf(current_));
}

std::string XmlDocument::elementData() const
{
    if (current_ == 0 || !valid_)
        return {};
    const ElementRecord& r = records_[current_];
    if (r.firstChild != 0 || isEmptyElement(current_))
        return {};
    const std::string_view text = text_;
    const size_t start = static_cast<size_t>(r.startTagEnd) + 1;
    const size_t end = static_cast<size_t>(r.endTagStart);
    if (start > end || end > text.size())
        return {};
    constexpr std::string_view kCdataOpen = "<![CDATA[";
    const size_t p = skipWhite(text, start);
    if (p + 11 < end && text.substr(p, kCdataOpen.size()) == kCdataOpen) {
        const size_t close = text.substr(0, end).find("]]>", p + kCdataOpen.size());
        if (close != npos)
            return std::string(text.substr(p + kCdataOpen.size(), close - p - kCdataOpen.size()));
    }
    return unescape(text.substr(start, end - start));
}

// Looks the named attribute up in the start tag of the element. kFound gives the range of its
// quoted value. kUnusable: the name is there but its value is unquoted or its quotes do not
// close inside the start tag, so it can be neither read nor replaced.
int XmlDocument::findAttributeValue(int index, std::string_view name, size_t& valueStart,
                                    size_t& valueLength) const
{
    const std::string_view text = text_;
    const ElementRecord& r = records_[index];
    Token token;
    if (!nextToken(text, static_cast<size_t>(r.startTagStart) + 1, token))
        return kNotFound;
    size_t pos = token.next; // past the tag name
    while (nextToken(text, pos, token)) {
        pos = token.next;
        if (token.quoted)
            continue;
        const std::string_view t = token.in(text);
        if (t == "/" || t == ">" || t == "?")
            return kNotFound;
        if (t == "=")
            continue;
        if (!name.empty() && !nameMatches(t, name))
            continue;
        Token equals;
        Token value;
        if (!nextToken(text, token.next, equals) || !nextToken(text, equals.next, value) ||
            !value.quoted)
            return kUnusable;
        const bool closed = value.next == value.start + value.length + 1;
        if (!closed || value.start + value.length >= static_cast<size_t>(r.startTagEnd))
            return kUnusable;
        valueStart = value.start;
        valueLength = value.length;
        return kFound;
    }
    return kNotFound;
}

std::string XmlDocument::attribute(std::string_view name) const
{
    if (current_ == 0 || !valid_)
        return {};
    size_t start = 0;
    size_t length = 0;
    if (findAttributeValue(current_, name, start, length) != kFound)
        return {};
    return unescape(std::string_view(text_).substr(start, length));
}

// ---------------------------------------------------------------------------------------------
// Escaping

std::string XmlDocument::escapeData(std::string_view text)
{
    return escapeText(text, false);
}

std::string XmlDocument::escapeAttribute(std::string_view text)
{
    return escapeText(text, true);
}

std::string XmlDocument::unescape(std::string_view text)
{
    static constexpr struct {
        std::string_view name;
        char value;
    } kEntities[] = {{"lt;", '<'}, {"amp;", '&'}, {"gt;", '>'}, {"apos;", '\''}, {"quot;", '"'}};
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '&') {
            bool replaced = false;
            for (const auto& entity : kEntities) {
                if (text.substr(i + 1, entity.name.size()) == entity.name) {
                    out += entity.value;
                    i += entity.name.size();
                    replaced = true;
                    break;
                }
            }
            if (replaced)
                continue;
        }
        out += c;
    }
    return out;
}

// ---------------------------------------------------------------------------------------------
// Editing

// Replaces count characters at pos; positions outside the text are clamped to it. False (and
// nothing changed) when the text would grow beyond the supported size.
bool XmlDocument::replaceText(size_t pos, size_t count, std::string_view with)
{
    pos = std::min(pos, text_.size());
    count = std::min(count, text_.size() - pos);
    if (text_.size() - count + with.size() > kMaxTextLength)
        return false;
    text_.replace(pos, count, with.data(), with.size());
    return true;
}

// Moves all four offsets of the element and of everything inside it.
void XmlDocument::shiftSubtree(int index, int delta)
{
    int at = index;
    while (at != 0) {
        ElementRecord& r = records_[at];
        r.startTagStart += delta;
        r.startTagEnd += delta;
        r.endTagStart += delta;
        r.endTagEnd += delta;
        if (r.firstChild != 0) {
            at = r.firstChild;
            continue;
        }
        // Next in document order without leaving the subtree.
        while (at != index && records_[at].nextSibling == 0)
            at = records_[at].parent;
        if (at == index)
            break;
        at = records_[at].nextSibling;
    }
}

// Moves everything that stands behind the element in the text: its following siblings and
// theirs at every level above, and the end tags of its ancestors.
void XmlDocument::shiftFollowing(int index, int delta)
{
    for (int at = index; at != 0; at = records_[at].parent) {
        for (int s = records_[at].nextSibling; s != 0; s = records_[s].nextSibling)
            shiftSubtree(s, delta);
        const int up = records_[at].parent;
        if (up != 0) {
            records_[up].endTagStart += delta;
            records_[up].endTagEnd += delta;
        }
    }
}

// Inserts a new element under parent, directly after previous (or after the last child when
// previous is 0). Returns the new element's index, 0 when nothing was changed.
int XmlDocument::insertElement(int parent, int previous, std::string_view name,
                               std::string_view data)
{
    if (!isWritableName(name, true))
        return 0;
    if (previous != 0 && records_[previous].parent != parent)
        return 0;
    const std::string escaped = escapeData(data);
    std::string element;
    element.reserve(2 * name.size() + escaped.size() + 8);
    element += '<';
    element += name;
    if (data.empty()) {
        element += "/>";
    } else {
        element += '>';
        element += escaped;
        element += "</";
        element += name;
        element += '>';
    }
    element += "\r\n";

    const bool emptyParent = parent != 0 && isEmptyElement(parent);
    const bool bareParent = parent != 0 && !emptyParent && hasNoContent(parent);
    std::string parentName;
    size_t start = 0; // where the new element's "<" ends up
    int delta = 0;
    if (emptyParent) {
        // '<p/>' becomes '<p>', CR LF, the element, '</p>'.
        parentName = tagNameOf(parent);
        if (!isWritableName(parentName, false))
            return 0;
        const size_t slash = static_cast<size_t>(records_[parent].endTagStart);
        // '<p//>' would still read as an empty element after the change.
        if (slash == 0 || text_[slash - 1] == '/')
            return 0;
        std::string replacement = ">\r\n" + element + "</" + parentName;
        if (!replaceText(slash, 1, replacement))
            return 0;
        start = slash + 3;
        delta = static_cast<int>(replacement.size()) - 1;
    } else if (bareParent) {
        const size_t at = static_cast<size_t>(records_[parent].startTagEnd) + 1;
        if (!replaceText(at, 0, "\r\n" + element))
            return 0;
        start = at + 2;
        delta = static_cast<int>(element.size()) + 2;
    } else {
        size_t at = 0;
        if (previous != 0)
            at = static_cast<size_t>(records_[previous].endTagEnd) + 1;
        else if (parent != 0)
            at = static_cast<size_t>(records_[parent].endTagStart);
        else
            at = text_.size();
        at = std::min(at, text_.size());
        const size_t next = skipWhite(text_, at);
        if (next >= text_.size() || text_[next] == '<')
            at = std::min(next, text_.size());
        if (!replaceText(at, 0, element))
            return 0;
        start = at;
        delta = static_cast<int>(element.size());
    }

    const int last = previous == 0 && parent != 0 ? lastChild(parent) : 0;
    const int added = takeRecord();
    ElementRecord& r = records_[added];
    r.parent = parent;
    if (previous != 0) {
        r.nextSibling = records_[previous].nextSibling;
        records_[previous].nextSibling = added;
    } else if (last != 0) {
        records_[last].nextSibling = added;
    } else {
        records_[parent].firstChild = added;
    }
    shiftFollowing(added, delta);

    const int s = static_cast<int>(start);
    const int nameLength = static_cast<int>(name.size());
    r.startTagStart = s;
    if (data.empty()) {
        r.startTagEnd = s + nameLength + 2;
        r.endTagStart = r.startTagEnd - 1;
        r.endTagEnd = r.startTagEnd;
    } else {
        r.startTagEnd = s + nameLength + 1;
        r.endTagStart = r.startTagEnd + 1 + static_cast<int>(escaped.size());
        r.endTagEnd = r.endTagStart + nameLength + 2;
    }
    if (emptyParent) {
        ElementRecord& p = records_[parent];
        const int slash = s - 3;
        p.startTagEnd = slash;
        p.endTagStart = slash + 3 + static_cast<int>(element.size());
        p.endTagEnd = p.endTagStart + 2 + static_cast<int>(parentName.size());
    }
    return added;
}

bool XmlDocument::addElement(std::string_view name, std::string_view data)
{
    if (parent_ == 0 && isWellFormed())
        return false; // only one document element
    const int added = insertElement(parent_, current_, name, data);
    if (added == 0)
        return false;
    current_ = added;
    child_ = 0;
    valid_ = true;
    return true;
}

bool XmlDocument::addChildElement(std::string_view name, std::string_view data)
{
    if (current_ == 0 || !valid_)
        return false;
    const int added = insertElement(current_, child_, name, data);
    if (added == 0)
        return false;
    child_ = added;
    return true;
}

bool XmlDocument::setAttribute(std::string_view name, std::string_view value)
{
    if (current_ == 0 || !valid_ || !isWritableName(name, false))
        return false;
    const std::string escaped = escapeAttribute(value);
    size_t start = 0;
    size_t length = 0;
    const int found = findAttributeValue(current_, name, start, length);
    if (found == kUnusable)
        return false;
    ElementRecord& r = records_[current_];
    int delta = 0;
    if (found == kFound) {
        if (!replaceText(start, length, escaped))
            return false;
        delta = static_cast<int>(escaped.size()) - static_cast<int>(length);
    } else {
        std::string inserted;
        inserted.reserve(name.size() + escaped.size() + 4);
        inserted += ' ';
        inserted += name;
        inserted += "=\"";
        inserted += escaped;
        inserted += '"';
        const size_t at =
            static_cast<size_t>(isEmptyElement(current_) ? r.endTagStart : r.startTagEnd);
        if (!replaceText(at, 0, inserted))
            return false;
        delta = static_cast<int>(inserted.size());
    }
    if (delta != 0) {
        r.startTagEnd += delta;
        r.endTagStart += delta;
        r.endTagEnd += delta;
        for (int c = r.firstChild; c != 0; c = records_[c].nextSibling)
            shiftSubtree(c, delta);
        shiftFollowing(current_, delta);
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Files

bool readXmlFile(const std::string& path, std::string& text, std::size_t* byteCount)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return false;
    }
    std::string bytes;
    bytes.reserve(static_cast<size_t>(info.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            ::close(fd);
            return false;
        }
        if (got == 0)
            break;
        bytes.append(buffer, static_cast<size_t>(got));
    }
    ::close(fd);
    if (byteCount)
        *byteCount = bytes.size();
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE)
        text = utf16LeToUtf8(std::string_view(bytes).substr(2));
    else
        text = std::move(bytes);
    return true;
}

bool passesLengthCheck(const std::string& text, std::size_t byteCount)
{
    // The text counts up to its first zero byte, as a C string would.
    const size_t zero = text.find('\0');
    const long long length = static_cast<long long>(zero == npos ? text.size() : zero);
    return length >= static_cast<long long>(byteCount / 2) - 20;
}

bool writeXmlFile(const std::string& path, const std::string& text)
{
    // Written to a fresh file beside the target and renamed over it at the end, so a failed
    // write (full disk, size limit) never leaves a truncated file in place of a good one. An
    // existing target must be a regular file (a device, pipe or folder is never replaced); a
    // symbolic link is followed so that the file it names is the one replaced.
    std::string target = path;
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        if (!S_ISREG(info.st_mode))
            return false;
        char* real = ::realpath(path.c_str(), nullptr);
        if (!real)
            return false;
        target = real;
        std::free(real);
    }
    const size_t slash = target.rfind('/');
    const std::string folder = slash == npos ? std::string() : target.substr(0, slash + 1);
    const std::string base = slash == npos ? target : target.substr(slash + 1);
    if (base.empty())
        return false;
    static unsigned counter = 0;
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = folder + "." + base + ".tmp" + std::to_string(::getpid()) + "-" +
                    std::to_string(__atomic_fetch_add(&counter, 1, __ATOMIC_RELAXED));
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return false;
    }
    if (fd < 0)
        return false;
    bool ok = true;
    size_t written = 0;
    while (ok && written < text.size()) {
        const ssize_t put = ::write(fd, text.data() + written, text.size() - written);
        if (put < 0) {
            if (errno != EINTR)
                ok = false;
        } else if (put == 0) {
            ok = false;
        } else {
            written += static_cast<size_t>(put);
        }
    }
    if (ok && ::fsync(fd) != 0)
        ok = false;
    if (::close(fd) != 0)
        ok = false;
    if (ok && ::rename(temporary.c_str(), target.c_str()) != 0)
        ok = false;
    if (!ok)
        ::unlink(temporary.c_str());
    return ok;
}

} // namespace pictavo
