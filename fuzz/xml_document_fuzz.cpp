// Drives the XML document layer with arbitrary input: the first part of the input is the
// document text, the rest a script of cursor and edit calls. Checks that failed calls change
// nothing and that after every successful edit the element index still describes the text.
#include "core/xml_document.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace pictavo {

class XmlDocumentInspector {
public:
    struct Element {
        int startTagStart, startTagEnd, endTagStart, endTagEnd, depth;
        bool operator==(const Element&) const = default;
    };

    static std::vector<Element> elements(const XmlDocument& doc)
    {
        std::vector<Element> out;
        if (doc.records_.empty())
            return out;
        std::vector<std::pair<int, int>> stack;
        pushSiblings(doc, doc.records_[0].firstChild, 0, stack);
        while (!stack.empty()) {
            const auto [index, depth] = stack.back();
            stack.pop_back();
            const auto& r = doc.records_[index];
            out.push_back({r.startTagStart, r.startTagEnd, r.endTagStart, r.endTagEnd, depth});
            pushSiblings(doc, r.firstChild, depth + 1, stack);
        }
        return out;
    }

    static std::tuple<int, int, int, bool> cursor(const XmlDocument& doc)
    {
        return {doc.parent_, doc.current_, doc.child_, doc.valid_};
    }

    static bool recordsPointAtMarkup(const XmlDocument& doc)
    {
        const std::string& t = doc.documentText();
        const auto at = [&](int pos) { return pos >= 0 && pos < int(t.size()) ? t[pos] : '\0'; };
        for (const Element& e : elements(doc)) {
            const bool empty = e.startTagEnd == e.endTagStart + 1;
            if (at(e.startTagStart) != '<' || at(e.startTagEnd) != '>' || at(e.endTagEnd) != '>' ||
                at(e.endTagStart) != (empty ? '/' : '<'))
                return false;
        }
        return true;
    }

private:
    static void pushSiblings(const XmlDocument& doc, int first, int depth,
                             std::vector<std::pair<int, int>>& stack)
    {
        std::vector<int> siblings;
        for (int c = first; c; c = doc.records_[c].nextSibling)
            siblings.push_back(c);
        for (auto it = siblings.rbegin(); it != siblings.rend(); ++it)
            stack.push_back({*it, depth});
    }
};

} // namespace pictavo

namespace {

using pictavo::XmlDocument;
using Inspector = pictavo::XmlDocumentInspector;

void check(bool condition)
{
    if (!condition)
        std::abort();
}

// Reads a short string from the script: a length byte, then that many bytes.
std::string_view takeString(std::string_view& script)
{
    if (script.empty())
        return {};
    const std::size_t length =
        std::min<std::size_t>(static_cast<unsigned char>(script[0]) % 16, script.size() - 1);
    const std::string_view s = script.substr(1, length);
    script.remove_prefix(1 + length);
    return s;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Layout: [2 bytes text length][text][script...]
    std::string_view input(reinterpret_cast<const char*>(data), size);
    if (input.size() < 2)
        return 0;
    const std::size_t textLength =
        std::min<std::size_t>((static_cast<unsigned char>(input[0]) |
                               static_cast<std::size_t>(static_cast<unsigned char>(input[1])) << 8),
                              input.size() - 2);
    const std::string_view text = input.substr(2, textLength);
    std::string_view script = input.substr(2 + textLength);

    XmlDocument doc;
    const bool parsed = doc.setText(text);
    check(doc.documentText() == text);
    check(doc.isWellFormed() == parsed);
    check(Inspector::recordsPointAtMarkup(doc));

    for (int calls = 0; !script.empty() && calls < 200; ++calls) {
        const unsigned op = static_cast<unsigned char>(script[0]) % 10;
        script.remove_prefix(1);
        const std::string before = doc.documentText();
        const auto cursor = Inspector::cursor(doc);
        const auto elements = Inspector::elements(doc);
        bool ok = true;
        bool edit = false;
        switch (op) {
        case 0:
            ok = doc.findElement(takeString(script));
            break;
        case 1:
            ok = doc.findElement();
            break;
        case 2:
            ok = doc.enterElement();
            break;
        case 3:
            ok = doc.leaveElement();
            break;
        case 4:
            (void)doc.tagName();
            (void)doc.elementData();
            break;
        case 5:
            (void)doc.attribute(takeString(script));
            break;
        case 6: {
            const std::string_view name = takeString(script);
            ok = doc.addElement(name, takeString(script));
            edit = true;
            break;
        }
        case 7: {
            const std::string_view name = takeString(script);
            ok = doc.addChildElement(name, takeString(script));
            edit = true;
            break;
        }
        default: {
            const std::string_view name = takeString(script);
            ok = doc.setAttribute(name, takeString(script));
            edit = true;
            break;
        }
        }
        if (!ok) {
            check(doc.documentText() == before);
            check(Inspector::cursor(doc) == cursor);
            check(Inspector::elements(doc) == elements);
        } else if (edit) {
            check(Inspector::recordsPointAtMarkup(doc));
            if (parsed) {
                XmlDocument fresh;
                check(fresh.setText(doc.documentText()));
                check(Inspector::elements(fresh) == Inspector::elements(doc));
            }
        }
    }
    return 0;
}
