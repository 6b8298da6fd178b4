#include "core/xml_document.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <signal.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <tuple>
#include <unistd.h>
#include <vector>

namespace pictavo {

// Looks inside a document: its element records in document order and its cursor.
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
        std::vector<std::pair<int, int>> stack; // (index, depth), children pushed in reverse
        pushSiblingsReversed(doc, doc.records_[0].firstChild, stack, 0);
        while (!stack.empty()) {
            const auto [index, depth] = stack.back();
            stack.pop_back();
            const auto& r = doc.records_[index];
            out.push_back({r.startTagStart, r.startTagEnd, r.endTagStart, r.endTagEnd, depth});
            pushSiblingsReversed(doc, r.firstChild, stack, depth + 1);
        }
        return out;
    }

    static std::tuple<int, int, int, bool> cursor(const XmlDocument& doc)
    {
        return {doc.parent_, doc.current_, doc.child_, doc.valid_};
    }

    static std::size_t recordCapacity(const XmlDocument& doc) { return doc.records_.size(); }

    // Every record points at the characters its offsets name, and children sit inside their
    // parent in order. Returns a description of the first fault, empty when consistent.
    static std::string checkRecords(const XmlDocument& doc)
    {
        const std::string& t = doc.documentText();
        const auto at = [&](int pos) { return pos >= 0 && pos < int(t.size()) ? t[pos] : '\0'; };
        if (doc.records_.empty() || doc.records_[0].firstChild == 0)
            return {};
        std::vector<int> todo{doc.records_[0].firstChild};
        while (!todo.empty()) {
            const int i = todo.back();
            todo.pop_back();
            const auto& r = doc.records_[i];
            const bool empty = r.startTagEnd == r.endTagStart + 1;
            if (at(r.startTagStart) != '<' || at(r.startTagEnd) != '>' || at(r.endTagEnd) != '>' ||
                at(r.endTagStart) != (empty ? '/' : '<'))
                return "bad offsets of record " + std::to_string(i);
            int previousEnd = r.startTagEnd;
            for (int c = r.firstChild; c; c = doc.records_[c].nextSibling) {
                const auto& k = doc.records_[c];
                if (k.parent != i || k.startTagStart <= previousEnd || k.endTagEnd >= r.endTagStart)
                    return "child " + std::to_string(c) + " out of place";
                previousEnd = k.endTagEnd;
                todo.push_back(c);
            }
        }
        return {};
    }

private:
    static void pushSiblingsReversed(const XmlDocument& doc, int first,
                                     std::vector<std::pair<int, int>>& stack, int depth)
    {
        std::vector<int> siblings;
        for (int c = first; c; c = doc.records_[c].nextSibling)
            siblings.push_back(c);
        for (auto it = siblings.rbegin(); it != siblings.rend(); ++it)
            stack.push_back({*it, depth});
    }
};

namespace {

using Inspector = XmlDocumentInspector;
const std::string CRLF = "\r\n";

// The record structure a fresh parse of the document's text produces must equal the one the
// edits maintained.
void expectIndexMatchesText(const XmlDocument& doc)
{
    EXPECT_EQ(Inspector::checkRecords(doc), "");
    XmlDocument fresh;
    ASSERT_TRUE(fresh.setText(doc.documentText())) << fresh.errorText();
    EXPECT_EQ(Inspector::elements(fresh), Inspector::elements(doc));
}

// ---------------------------------------------------------------------------------------------
// Building documents

TEST(XmlDocumentBuild, NestedElementsFromEmptyDocument)
{
    XmlDocument doc;
    EXPECT_FALSE(doc.isWellFormed());
    ASSERT_TRUE(doc.addElement("a"));
    ASSERT_TRUE(doc.enterElement());
    ASSERT_TRUE(doc.addElement("b", "x"));
    ASSERT_TRUE(doc.addElement("c"));
    ASSERT_TRUE(doc.leaveElement());
    EXPECT_EQ(doc.documentText(), "<a>" + CRLF + "<b>x</b>" + CRLF + "<c/>" + CRLF + "</a>" + CRLF);
    EXPECT_TRUE(doc.isWellFormed());
    EXPECT_EQ(doc.tagName(), "a");
    expectIndexMatchesText(doc);
}

TEST(XmlDocumentBuild, ChildElementsGoAfterEachOtherInEmptyParent)
{
    XmlDocument doc;
    ASSERT_TRUE(doc.setText("<p/>"));
    ASSERT_TRUE(doc.findElement("p"));
    ASSERT_TRUE(doc.addChildElement("k", "v"));
    ASSERT_TRUE(doc.addChildElement("k", "w"));
    EXPECT_EQ(doc.documentText(), "<p>" + CRLF + "<k>v</k>" + CRLF + "<k>w</k>" + CRLF + "</p>");
    EXPECT_EQ(doc.tagName(), "p"); // the parent stays current
    expectIndexMatchesText(doc);
    ASSERT_TRUE(doc.enterElement()); // enters at the last added child
    EXPECT_EQ(doc.elementData(), "w");
}

TEST(XmlDocumentBuild, InsertionPointsInExistingDocuments)
{
    struct Case {
        const char* text;
        const char* path; // elements to find from the top, '.' = enter
        bool child;       // addChildElement instead of addElement
        const char* expected;
    };
    const Case cases[] = {
        // A parent without content gets CR LF and the element after its ">".
        {"<p></p>", "p", true, "<p>\r\n<n>d</n>\r\n</p>"},
        // An empty parent with attributes keeps them.
        {"<p a=\"1\" />", "p", true, "<p a=\"1\" >\r\n<n>d</n>\r\n</p>"},
        // After the current element, past the CR LF that follows it.
        {"<r>\r\n<a/>\r\n<b/>\r\n</r>", "r.a", false, "<r>\r\n<a/>\r\n<n>d</n>\r\n<b/>\r\n</r>"},
        // Right after the current element when text follows it.
        {"<r><a/>tail</r>", "r.a", false, "<r><a/><n>d</n>\r\ntail</r>"},
        // No current element after entering: after the last child, before the end tag.
        {"<r><a/>\r\n<b/>\r\n</r>", "r.", false, "<r><a/>\r\n<b/>\r\n<n>d</n>\r\n</r>"},
        // A parent with text only.
        {"<r>text</r>", "r", true, "<r>text<n>d</n>\r\n</r>"},
        // Before a comment that follows the current element.
        {"<r><a/> <!--c--></r>", "r.a", false, "<r><a/> <n>d</n>\r\n<!--c--></r>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        XmlDocument doc;
        ASSERT_TRUE(doc.setText(c.text));
        for (const char* p = c.path; *p; ++p) {
            if (*p == '.')
                ASSERT_TRUE(doc.enterElement());
            else
                ASSERT_TRUE(doc.findElement(std::string(1, *p)));
        }
        ASSERT_TRUE(c.child ? doc.addChildElement("n", "d") : doc.addElement("n", "d"));
        EXPECT_EQ(doc.documentText(), c.expected);
        expectIndexMatchesText(doc);
    }
}

TEST(XmlDocumentBuild, SecondDocumentElementIsRefused)
{
    XmlDocument doc;
    ASSERT_TRUE(doc.addElement("a"));
    const std::string before = doc.documentText();
    const auto cursor = Inspector::cursor(doc);
    EXPECT_FALSE(doc.addElement("b"));
    EXPECT_EQ(doc.documentText(), before);
    EXPECT_EQ(Inspector::cursor(doc), cursor);

    // Likewise after reading a document.
    ASSERT_TRUE(doc.setText("<a/>"));
    EXPECT_FALSE(doc.addElement("b"));
    ASSERT_TRUE(doc.findElement());
    EXPECT_FALSE(doc.addElement("b"));
    EXPECT_EQ(doc.documentText(), "<a/>");
}

TEST(XmlDocumentBuild, DocumentElementIsAppendedToTextWithoutOne)
{
    XmlDocument doc;
    EXPECT_FALSE(doc.setText("<?xml version=\"1.0\"?>\r\n"));
    ASSERT_TRUE(doc.addElement("root", "1"));
    EXPECT_EQ(doc.documentText(), "<?xml version=\"1.0\"?>\r\n<root>1</root>\r\n");
    expectIndexMatchesText(doc);
}

TEST(XmlDocumentBuild, EditsAreRefusedWithoutCurrentElementOrWithBadNames)
{
    XmlDocument doc;
    EXPECT_FALSE(doc.addChildElement("k"));
    EXPECT_FALSE(doc.setAttribute("n", "v"));
    ASSERT_TRUE(doc.setText("<r><a/></r>"));
    ASSERT_TRUE(doc.findElement("r"));
    // Names that would change the markup around them are not written.
    for (const char* name : {"", " a", "a>b", "a<b", "a/b", "a\"b", "a'b", "a=b", "a&b", "a\nb"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(doc.addChildElement(name, "x"));
        EXPECT_FALSE(doc.setAttribute(name, "x"));
    }
    EXPECT_FALSE(doc.setAttribute("a b", "x")); // attribute names are single words
    EXPECT_EQ(doc.documentText(), "<r><a/></r>");
    EXPECT_EQ(doc.tagName(), "r");

    // Empty elements that cannot be turned into a parent: the result would not read back.
    for (const char* text : {"<p//>", "<\\/>"}) {
        ASSERT_TRUE(doc.setText(text));
        ASSERT_TRUE(doc.findElement());
        EXPECT_FALSE(doc.addChildElement("k", "v")) << text;
        ASSERT_TRUE(doc.enterElement());
        EXPECT_FALSE(doc.addElement("k", "v")) << text;
        EXPECT_EQ(doc.documentText(), text);
    }
}

TEST(XmlDocumentBuild, ElementNamesWithSpaceAreFoundByTheirFirstWord)
{
    XmlDocument doc;
    ASSERT_TRUE(doc.addElement("show"));
    ASSERT_TRUE(doc.addChildElement("cover index", "5"));
    EXPECT_EQ(doc.documentText(), "<show>\r\n<cover index>5</cover index>\r\n</show>\r\n");
    ASSERT_TRUE(doc.setText(doc.documentText()));
    ASSERT_TRUE(doc.findElement("show"));
    ASSERT_TRUE(doc.enterElement());
    ASSERT_TRUE(doc.findElement("cover index"));
    EXPECT_EQ(doc.tagName(), "cover");
    EXPECT_EQ(doc.elementData(), "5");
}

// ---------------------------------------------------------------------------------------------
// Escaping, element data and attributes

TEST(XmlDocumentText, DataIsEscapedOnWriteAndUnescapedOnRead)
{
    XmlDocument doc;
    ASSERT_TRUE(doc.addElement("d", "a<b&c>d \"q\" 'a'"));
    EXPECT_EQ(doc.documentText(), "<d>a&lt;b&amp;c&gt;d \"q\" 'a'</d>\r\n");
    EXPECT_EQ(doc.elementData(), "a<b&c>d \"q\" 'a'");

    EXPECT_EQ(XmlDocument::escapeAttribute("<&>'\"x"), "&lt;&amp;&gt;&apos;&quot;x");
    struct Case {
        const char* in;
        const char* out;
    };
    const Case unescapes[] = {
        {"&lt;&amp;&gt;&apos;&quot;", "<&>'\""},
        {"&amp;lt;", "&lt;"}, // one pass: no double unescaping
        {"&#65;", "&#65;"},   // numeric references stay
        {"&lt", "&lt"},       // an entity must fit before the end
        {"&", "&"},
        {"a&&gt;b&unknown;", "a&>b&unknown;"},
    };
    for (const Case& c : unescapes)
        EXPECT_EQ(XmlDocument::unescape(c.in), c.out) << c.in;
}

TEST(XmlDocumentText, ElementData)
{
    struct Case {
        const char* text;
        const char* data;
    };
    const Case cases[] = {
        {"<x>  a  </x>", "  a  "},
        {"<x>\r\n a\r\n</x>", "\r\n a\r\n"},
        {"<x><![CDATA[<raw>&amp;]]></x>", "<raw>&amp;"},
        {"<x>  <![CDATA[]]></x>", ""},
        {"<x><![CDATA[]]]></x>", "]"},
        {"<x><![CDATA[]]></x>", ""},
        {"<x> \r\n<![CDATA[a]]>  </x>", "a"}, // white space before the section is skipped
        {"<x>a<![CDATA[b]]></x>", "a<![CDATA[b]]>"},
        {"<x><y>1</y></x>", ""},
        {"<x/>", ""},
        {"<x></x>", ""},
        {"<x>&#65;</x>", "&#65;"},
        {"<x>a<!--c-->b</x>", "a<!--c-->b"},
    };
    for (const Case& c : cases) {
        XmlDocument doc;
        ASSERT_TRUE(doc.setText(c.text)) << c.text;
        EXPECT_EQ(doc.elementData(), "") << "no current element yet";
        ASSERT_TRUE(doc.findElement("x"));
        EXPECT_EQ(doc.elementData(), c.data) << c.text;
    }
}

TEST(XmlDocumentText, AttributeLookup)
{
    struct Case {
        const char* text;
        const char* name;
        const char* value;
    };
    const Case cases[] = {
        {"<e v=5/>", "v", ""}, // unquoted values are never found
        {"<e v=\"5\"/>", "v", "5"},
        {"<e v='5'/>", "v", "5"},
        {"<e  v = \"5\" >x</e>", "v", "5"},
        {"<e a=\"1\" b=\"2\"/>", "b", "2"},
        {"<e a=\"1\" b=\"2\"/>", "", "1"}, // an empty name takes the first attribute
        {"<e a=\"1\" b=\"2\"/>", "c", ""},
        {"<e a=\"b\" c=\"d\"/>", "b", ""}, // values are not names
        {"<e v=\"a&lt;&quot;b\"/>", "v", "a<\"b"},
        {"<e / v=\"1\"/>", "v", ""}, // the search ends at "/"
        {"<e v>x</e>", "v", ""},
        {"<v/>", "v", ""}, // the tag name is no attribute
    };
    for (const Case& c : cases) {
        XmlDocument doc;
        ASSERT_TRUE(doc.setText(c.text)) << c.text;
        EXPECT_EQ(doc.attribute(c.name), "") << "no current element yet";
        ASSERT_TRUE(doc.findElement());
        EXPECT_EQ(doc.attribute(c.name), c.value) << c.text << " / " << c.name;
    }
}

TEST(XmlDocumentText, SetAttributeInsertsThenReplacesOnlyTheValue)
{
    XmlDocument doc;
    ASSERT_TRUE(doc.setText("<r><e/><f>1</f></r>"));
    ASSERT_TRUE(doc.findElement("r"));
    ASSERT_TRUE(doc.enterElement());
    ASSERT_TRUE(doc.findElement("e"));
    ASSERT_TRUE(doc.setAttribute("n", "it's"));
    EXPECT_EQ(doc.documentText(), "<r><e n=\"it&apos;s\"/><f>1</f></r>");
    EXPECT_EQ(doc.attribute("n"), "it's");
    ASSERT_TRUE(doc.setAttribute("n", "x"));
    EXPECT_EQ(doc.documentText(), "<r><e n=\"x\"/><f>1</f></r>");
    ASSERT_TRUE(doc.setAttribute("m", "<\">"));
    EXPECT_EQ(doc.documentText(), "<r><e n=\"x\" m=\"&lt;&quot;&gt;\"/><f>1</f></r>");
    expectIndexMatchesText(doc);
    // Later elements moved with the edits.
    ASSERT_TRUE(doc.findElement("f"));
    EXPECT_EQ(doc.elementData(), "1");
}

TEST(XmlDocumentText, SetAttributeOnParentMovesItsChildren)
{
    XmlDocument doc;
    ASSERT_TRUE(doc.setText("<r><p><c>1</c><d/></p><q>2</q></r>"));
    ASSERT_TRUE(doc.findElement("r"));
    ASSERT_TRUE(doc.enterElement());
    ASSERT_TRUE(doc.findElement("p"));
    ASSERT_TRUE(doc.setAttribute("long", "value"));
    ASSERT_TRUE(doc.setAttribute("long", "v"));
    EXPECT_EQ(doc.documentText(), "<r><p long=\"v\"><c>1</c><d/></p><q>2</q></r>");
    expectIndexMatchesText(doc);
    ASSERT_TRUE(doc.enterElement());
    ASSERT_TRUE(doc.findElement("c"));
    EXPECT_EQ(doc.elementData(), "1");
}

TEST(XmlDocumentText, SetAttributeRefusesValuesItCannotReplace)
{
    // An unquoted value, or quotes that do not close inside the start tag: adding a second
    // attribute of the same name or replacing across the tag's end would corrupt the document.
    for (const char* text : {"<e v=5/>", "<e v>x</e>", "<e v=\"a>b\">x</e>"}) {
        XmlDocument doc;
        ASSERT_TRUE(doc.setText(text));
        ASSERT_TRUE(doc.findElement());
        EXPECT_FALSE(doc.setAttribute("v", "1")) << text;
        EXPECT_EQ(doc.documentText(), text);
    }
}

// ---------------------------------------------------------------------------------------------
// Parsing and the cursor

TEST(XmlDocumentParse, SkipsDeclarationCommentsAndDoctype)
{
    const char* texts[] = {
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<!-- made by hand -->\r\n<a>1</a>",
        "<!DOCTYPE a [ <!ELEMENT a (#PCDATA)> <!ATTLIST a x CDATA \"]\"> ]>\r\n<a>1</a>",
        "<!DOCTYPE a SYSTEM \"a>b.dtd\"><a>1</a>",
        "text before <a>1</a> and <b/> after are ignored",
        "<![CDATA[<b/>]]><a>1</a>",
    };
    for (const char* text : texts) {
        XmlDocument doc;
        ASSERT_TRUE(doc.setText(text)) << text << ": " << doc.errorText();
        EXPECT_EQ(doc.errorText(), "");
        ASSERT_TRUE(doc.findElement("a")) << text;
        EXPECT_EQ(doc.elementData(), "1");
        EXPECT_FALSE(doc.findElement()) << "only the document element is indexed";
    }
}

TEST(XmlDocumentParse, ErrorTexts)
{
    struct Case {
        const char* text;
        const char* error;
    };
    const Case cases[] = {
        {"no markup", "Element tag not found"},
        {"<a>", "Element tag not found"},
        {"<a><b>text", "Element tag not found"},
        {"<", "Abrupt end within tag"},
        {"<a><", "Abrupt end within tag"},
        {"<\"a\"/>", "Tag starts with quote"},
        {"<a><'b'/></a>", "Tag starts with quote"},
        {"<!-- open", "Invalid node"},
        {"<?xml", "Invalid node"},
        {"<!", "Invalid node"},
        {"<a><![CDATA[x</a>", "Invalid node"},
        {"<!DOCTYPE a [ <!ENTITY x \"y\"> >", "Invalid node"},
        {"<a", "End of tag not found"},
        {"<a><b x=\"1\"", "End of tag not found"},
        {"<a><b></c></a>", "End tag does not correspond to b"},
        {"<a></ab>", "End tag does not correspond to a"},
        {"<a></", "End tag not completed for element a"},
        {"<a></a", "End tag not completed for element a"},
        {"<a></a \"x>", "End tag not completed for element a"},
        {"<a><b></b ", "End tag not completed for element b"},
    };
    for (const Case& c : cases) {
        XmlDocument doc;
        EXPECT_FALSE(doc.setText(c.text)) << c.text;
        EXPECT_EQ(doc.errorText(), c.error) << c.text;
        EXPECT_EQ(doc.documentText(), c.text) << "the text stays stored";
        EXPECT_FALSE(doc.isWellFormed());
        EXPECT_FALSE(doc.findElement());
        EXPECT_EQ(Inspector::cursor(doc), std::make_tuple(0, 0, 0, false));
    }

    // A later successful parse clears the error; an empty text is no document.
    XmlDocument doc;
    ASSERT_FALSE(doc.setText("<a>"));
    ASSERT_TRUE(doc.setText("<a/>"));
    EXPECT_EQ(doc.errorText(), "");
    EXPECT_FALSE(doc.setText(""));
    EXPECT_FALSE(doc.isWellFormed());
}

TEST(XmlDocumentParse, EndTagsMayCarryExtraTokens)
{
    XmlDocument doc;
    ASSERT_TRUE(doc.setText("<cover index>5</cover index>"));
    ASSERT_TRUE(doc.findElement("cover"));
    EXPECT_EQ(doc.elementData(), "5");
    ASSERT_TRUE(doc.setText("<a><b>1</b x=\">\"></a>"));
    ASSERT_TRUE(doc.findElement("a"));
    ASSERT_TRUE(doc.enterElement());
    ASSERT_TRUE(doc.findElement("b"));
    EXPECT_EQ(doc.elementData(), "1");
}

TEST(XmlDocumentParse, NameMatchRule)
{
    struct Case {
        const char* tag;
        const char* wanted;
        bool found;
    };
    const Case cases[] = {
        {"cover", "cover index", true},
        {"cover", "cover", true},
        {"cover", "cov", false},
        {"cov", "cover", false},
        {"a", "a=1", true},
        {"a", "a/", true},
        {"a", "a[0]", true},
        {"a", "ab", false},
        {"A", "a", false},
    };
    for (const Case& c : cases) {
        XmlDocument doc;
        ASSERT_TRUE(doc.setText(std::string("<") + c.tag + "/>"));
        EXPECT_EQ(doc.findElement(c.wanted), c.found) << c.tag << " / " << c.wanted;
    }
}

TEST(XmlDocumentParse, FindOnlyMovesForwardAmongSiblings)
{
    XmlDocument doc;
    ASSERT_TRUE(doc.setText("<r><A>1</A><X/><B>2</B><C>3</C></r>"));
    ASSERT_TRUE(doc.findElement("r"));
    ASSERT_TRUE(doc.enterElement());
    ASSERT_TRUE(doc.findElement("B"));
    EXPECT_EQ(doc.elementData(), "2");
    const auto cursor = Inspector::cursor(doc);
    EXPECT_FALSE(doc.findElement("A"));
    EXPECT_EQ(Inspector::cursor(doc), cursor) << "a failed find leaves the cursor";
    EXPECT_EQ(doc.tagName(), "B");
    // Leaving and entering again starts from the first child.
    ASSERT_TRUE(doc.leaveElement());
    EXPECT_EQ(doc.tagName(), "r");
    ASSERT_TRUE(doc.enterElement());
    EXPECT_EQ(doc.tagName(), "B") << "entering goes back to the child that was left";
    ASSERT_TRUE(doc.leaveElement());
    ASSERT_TRUE(doc.leaveElement() == false);
    XmlDocument again;
    ASSERT_TRUE(again.setText(doc.documentText()));
    ASSERT_TRUE(again.findElement("r"));
    ASSERT_TRUE(again.enterElement());
    EXPECT_TRUE(again.findElement("A"));
    EXPECT_TRUE(again.findElement()); // an empty name takes the next element
    EXPECT_EQ(again.tagName(), "X");
}

TEST(XmlDocumentParse, LeaveContinuesAfterTheElementLeft)
{
    XmlDocument doc;
    ASSERT_TRUE(doc.setText("<r><s><x/></s><s><y/></s><t/></r>"));
    ASSERT_TRUE(doc.findElement("r"));
    ASSERT_TRUE(doc.enterElement());
    ASSERT_TRUE(doc.findElement("s"));
    ASSERT_TRUE(doc.enterElement());
    EXPECT_EQ(doc.tagName(), "") << "no current element right after entering";
    EXPECT_FALSE(doc.enterElement());
    ASSERT_TRUE(doc.findElement("x"));
    ASSERT_TRUE(doc.leaveElement());
    ASSERT_TRUE(doc.leaveElement());
    ASSERT_TRUE(doc.enterElement()); // back to the first s
    ASSERT_TRUE(doc.findElement("s"));
    ASSERT_TRUE(doc.enterElement());
    EXPECT_TRUE(doc.findElement("y"));
    ASSERT_TRUE(doc.leaveElement());
    ASSERT_TRUE(doc.leaveElement());
    EXPECT_EQ(doc.tagName(), "r");
}

TEST(XmlDocumentParse, RecordArrayStartsFromTextLength)
{
    XmlDocument doc;
    EXPECT_EQ(Inspector::recordCapacity(doc), 8u);
    std::string text = "<r>";
    for (int i = 0; i < 200; ++i)
        text += "<e/>";
    text += "</r>";
    ASSERT_TRUE(doc.setText(text)); // 807 bytes: room for 20 records, grown as needed
    EXPECT_EQ(Inspector::elements(doc).size(), 201u);
    EXPECT_GE(Inspector::recordCapacity(doc), 202u);
}

TEST(XmlDocumentParse, DeepNestingDoesNotExhaustTheStack)
{
    constexpr int kDepth = 100000;
    std::string text;
    for (int i = 0; i < kDepth; ++i)
        text += "<a>";
    for (int i = 0; i < kDepth; ++i)
        text += "</a>";
    XmlDocument doc;
    ASSERT_TRUE(doc.setText(text));
    EXPECT_EQ(Inspector::elements(doc).size(), std::size_t(kDepth));
    text.resize(text.size() - 1);
    EXPECT_FALSE(doc.setText(text));
    EXPECT_EQ(doc.errorText(), "End tag not completed for element a");
}

// ---------------------------------------------------------------------------------------------
// Files

TEST(XmlDocumentFile, ReadsNarrowBytesUnchangedAndUtf16WithMark)
{
    test::TempDir dir;
    const std::string narrow = "<a x=\"\xC3\xA9\">\xE6\x97\xA5</a>\r\n";
    ASSERT_TRUE(test::writeFile(dir.file("n.xml"), narrow));
    std::string text;
    std::size_t bytes = 0;
    ASSERT_TRUE(readXmlFile(dir.file("n.xml"), text, &bytes));
    EXPECT_EQ(text, narrow);
    EXPECT_EQ(bytes, narrow.size());

    // The same document as UTF-16 LE with its mark, plus a character outside the BMP.
    const std::u16string wide = u"<a x=\"\u00e9\">\u65e5</a>\r\n\U0001F600";
    std::string utf16 = "\xFF\xFE";
    for (char16_t c : wide) {
        utf16 += static_cast<char>(c & 0xFF);
        utf16 += static_cast<char>(c >> 8);
    }
    ASSERT_TRUE(test::writeFile(dir.file("w.xml"), utf16));
    ASSERT_TRUE(readXmlFile(dir.file("w.xml"), text, &bytes));
    EXPECT_EQ(text, narrow + "\xF0\x9F\x98\x80");
    EXPECT_EQ(bytes, utf16.size());
    EXPECT_TRUE(passesLengthCheck(text, bytes));

    // Broken UTF-16 (lone surrogates, odd length) still converts, with replacement characters.
    ASSERT_TRUE(test::writeFile(dir.file("bad.xml"), std::string("\xFF\xFE\x00\xD8<\x00\x41", 7)));
    ASSERT_TRUE(readXmlFile(dir.file("bad.xml"), text));
    EXPECT_EQ(text, "\xEF\xBF\xBD<\xEF\xBF\xBD");

    EXPECT_FALSE(readXmlFile(dir.file("missing.xml"), text));
    EXPECT_FALSE(readXmlFile(dir.path(), text)) << "a folder is no file";
}

TEST(XmlDocumentFile, LengthCheckCatchesEmbeddedZeroBytes)
{
    struct Case {
        std::string text;
        std::size_t bytes;
        bool passes;
    };
    const std::string doc(100, 'x');
    const Case cases[] = {
        {doc, 100, true},
        {doc, 240, true},  // 100 >= 120 - 20
        {doc, 242, false}, // 100 < 121 - 20
        {"", 0, true},
        {"", 41, true}, // tiny files always pass
        {"", 42, false},
        {std::string("<a>\0<b/>", 8), 8, true},
        {std::string("<\0a\0>\0", 6) + std::string(100, '\0'), 106, false}, // UTF-16 without mark
    };
    for (const Case& c : cases)
        EXPECT_EQ(passesLengthCheck(c.text, c.bytes), c.passes) << c.text.size() << "/" << c.bytes;

    // A UTF-16 file without its mark reads as bytes and fails the check.
    test::TempDir dir;
    std::string utf16;
    for (char c : std::string("<reference><VERSION>3.0.6</VERSION></reference>")) {
        utf16 += c;
        utf16 += '\0';
    }
    ASSERT_TRUE(test::writeFile(dir.file("p.xml"), utf16));
    std::string text;
    std::size_t bytes = 0;
    ASSERT_TRUE(readXmlFile(dir.file("p.xml"), text, &bytes));
    EXPECT_FALSE(passesLengthCheck(text, bytes));
}

TEST(XmlDocumentFile, WritesBytesUnchangedAndReplacesOldFile)
{
    test::TempDir dir;
    XmlDocument doc;
    ASSERT_TRUE(doc.addElement("zovudid"));
    ASSERT_TRUE(doc.addChildElement("name", "caf\xC3\xA9 & <friends>"));
    const std::string path = dir.file("p.prg");
    ASSERT_TRUE(test::writeFile(path, std::string(5000, 'o')));
    ASSERT_TRUE(writeXmlFile(path, doc.documentText()));
    EXPECT_EQ(test::readFile(path), doc.documentText());
    ASSERT_TRUE(writeXmlFile(path, ""));
    EXPECT_EQ(test::readFile(path), "");
    // A symbolic link is written through: the file it names changes, the link stays.
    const std::string link = dir.file("link.prg");
    std::filesystem::create_symlink(path, link);
    ASSERT_TRUE(writeXmlFile(link, "<a/>"));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(test::readFile(path), "<a/>");
    // Nothing else is left in the folder.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              2);
}

TEST(XmlDocumentFile, WriteFailuresAreReported)
{
    test::TempDir dir;
    EXPECT_FALSE(writeXmlFile(dir.file("no/such/folder/p.xml"), "<a/>"));
    EXPECT_FALSE(writeXmlFile(dir.path(), "<a/>")) << "a folder cannot be replaced";
    EXPECT_FALSE(writeXmlFile(dir.path() + "/", "<a/>"));
    EXPECT_FALSE(writeXmlFile("/dev/full", "<a/>"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              0);
}

TEST(XmlDocumentFile, FailedWriteKeepsTheOldFile)
{
    // A file-size limit makes the write fail half way, as a full disk would.
    test::TempDir dir;
    const std::string path = dir.file("referenceFile.xml");
    const std::string good = "<reference>\r\n</reference>\r\n";
    ASSERT_TRUE(test::writeFile(path, good));
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{};
        limit.rlim_cur = limit.rlim_max = 1000;
        setrlimit(RLIMIT_FSIZE, &limit);
        _exit(writeXmlFile(path, std::string(100000, 'x')) ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the failed write was reported as success";
    EXPECT_EQ(test::readFile(path), good);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1);
}

// ---------------------------------------------------------------------------------------------
// Random input

// A document of a project file's shape, built with the edit operations.
std::string projectLikeDocument(std::mt19937& rng, int photos)
{
    XmlDocument doc;
    doc.addElement("zovudid");
    doc.enterElement();
    doc.addElement("cuteslideshows");
    doc.enterElement();
    doc.addElement("slideshow");
    doc.setAttribute("id", std::to_string(rng() % 100));
    doc.enterElement();
    doc.addElement("name", "Holiday <2024> & 'friends'");
    doc.addElement("cover index", "0");
    for (int i = 0; i < photos; ++i) {
        doc.addElement("pic");
        doc.enterElement();
        doc.addElement("strOriginalFile", "/photos/img_" + std::to_string(rng() % 1000) + ".jpg");
        doc.addElement("ZIRE_EFFECT");
        doc.enterElement();
        doc.addElement("SINGLE_EFFECT_TIME", std::to_string(rng() % 10));
        doc.addElement("SINGLE_EFFECT_ID", std::to_string(rng() % 22));
        doc.leaveElement();
        doc.leaveElement();
    }
    return doc.documentText();
}

std::string mutate(std::mt19937& rng, std::string text)
{
    static const char* const pieces[] = {
        "<",         ">", "/", "\"", "'", "!",    "?", "<!--", "-->",  "<![CDATA[", "]]>",
        "<!DOCTYPE", "[", "]", "=",  " ", "\r\n", "&", "&lt;", "</a>", "<a>",       "<b/>"};
    const int edits = 1 + static_cast<int>(rng() % 4);
    for (int e = 0; e < edits; ++e) {
        const std::size_t pos = text.empty() ? 0 : rng() % (text.size() + 1);
        switch (rng() % 4) {
        case 0: // cut off
            text.resize(pos);
            break;
        case 1: // remove a few characters
            text.erase(pos, rng() % 8);
            break;
        case 2: // insert markup
            text.insert(pos, pieces[rng() % std::size(pieces)]);
            break;
        default: // replace one byte
            if (pos < text.size())
                text[pos] = static_cast<char>(rng() % 256);
            break;
        }
    }
    return text;
}

TEST(XmlDocumentRandom, MutatedDocumentsAndRandomCallsKeepTheInvariants)
{
    std::mt19937 rng(20240611);
    const std::string names[] = {"", "a", "b", "pic", "cover index", "x y", "a>b", "name"};
    for (int round = 0; round < 3000; ++round) {
        const std::string source = projectLikeDocument(rng, 1 + static_cast<int>(rng() % 4));
        const std::string text = round % 10 == 0 ? source : mutate(rng, source);
        XmlDocument doc;
        const bool parsed = doc.setText(text);
        ASSERT_EQ(doc.documentText(), text);
        ASSERT_EQ(doc.isWellFormed(), parsed);
        ASSERT_EQ(Inspector::checkRecords(doc), "") << text;
        for (int call = 0; call < 40; ++call) {
            const std::string before = doc.documentText();
            const auto cursor = Inspector::cursor(doc);
            const auto elements = Inspector::elements(doc);
            const std::string& name = names[rng() % std::size(names)];
            bool ok = false;
            bool edits = false;
            switch (rng() % 10) {
            case 0:
                ok = doc.findElement(name);
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
                (void)doc.attribute(name);
                ok = true;
                break;
            case 5:
                ok = doc.addElement(name, rng() % 2 ? "d<&>" : "");
                edits = true;
                break;
            case 6:
                ok = doc.addChildElement(name, rng() % 2 ? "v" : "");
                edits = true;
                break;
            default:
                ok = doc.setAttribute(name, "q\"'<");
                edits = true;
                break;
            }
            if (!ok) {
                ASSERT_EQ(doc.documentText(), before) << text;
                ASSERT_EQ(Inspector::cursor(doc), cursor) << text;
                ASSERT_EQ(Inspector::elements(doc), elements) << text;
            } else if (edits) {
                ASSERT_EQ(Inspector::checkRecords(doc), "") << text;
                if (parsed) {
                    // The index always describes the text it sits on.
                    XmlDocument fresh;
                    ASSERT_TRUE(fresh.setText(doc.documentText())) << doc.documentText();
                    ASSERT_EQ(Inspector::elements(fresh), Inspector::elements(doc))
                        << text << "\n=>\n"
                        << doc.documentText();
                }
            }
        }
    }
}

TEST(XmlDocumentRandom, EveryPrefixOfADocumentParsesOrFailsCleanly)
{
    const std::string text =
        "<?xml version=\"1.0\"?><!DOCTYPE r [<!ELEMENT r ANY>]><!-- c --><r a=\"1\" b='x>y'>"
        "<![CDATA[<z/>]]><p>t&amp;</p ><q/><cover index>1</cover index></r>";
    for (std::size_t n = 1; n <= text.size(); ++n) {
        XmlDocument doc;
        const bool ok = doc.setText(text.substr(0, n));
        EXPECT_EQ(ok, n == text.size()) << n;
        EXPECT_EQ(ok, doc.errorText().empty()) << n;
    }
}

} // namespace
} // namespace pictavo
