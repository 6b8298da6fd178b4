#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pictavo {

// The small XML reader and writer behind every XML file of the program. The whole document is
// one text string plus an index of element positions into it; callers navigate with a cursor
// (find, enter, leave), read data and attributes, and build documents by adding elements. Every
// edit is made in the text itself, so documentText() is always the exact file content.
class XmlDocument {
public:
    XmlDocument();

    // Replaces the text, resets cursor and index and parses. True when a document element was
    // parsed; on failure the text stays stored and errorText() says why.
    bool setText(std::string_view text);
    const std::string& documentText() const { return text_; }
    const std::string& errorText() const { return error_; }
    bool isWellFormed() const;

    // Cursor navigation.
    bool findElement(std::string_view name = {});
    bool enterElement();
    bool leaveElement();

    // Reading the current element.
    std::string tagName() const;
    std::string elementData() const;
    std::string attribute(std::string_view name) const;

    // Editing. Every element is written on a line of its own, followed by CR LF. A call that
    // returns false has changed neither the text nor the cursor: besides the cursor rules, names
    // that would alter the markup around them are refused (empty, leading space, control
    // characters or any of < > & " ' / = ? ! \; attribute names also without spaces), and so is
    // an edit whose result would not read back as the same elements (an attribute whose value is
    // unquoted or not closed inside its start tag, an empty parent written '<p//>').
    bool setAttribute(std::string_view name, std::string_view value);
    // Adds a sibling after the current element (or after the last child of the cursor's parent)
    // and makes it current. At document level only while there is no document element yet.
    bool addElement(std::string_view name, std::string_view data = {});
    // Adds a child of the current element after the current child (or after its last child)
    // and makes it the current child; the current element stays.
    bool addChildElement(std::string_view name, std::string_view data = {});

    // Escaping rules of element data and attribute values.
    static std::string escapeData(std::string_view text);
    static std::string escapeAttribute(std::string_view text);
    static std::string unescape(std::string_view text);

private:
    struct ElementRecord {
        int startTagStart = 0;
        int startTagEnd = 0;
        int endTagStart = 0;
        int endTagEnd = 0;
        int parent = 0;
        int firstChild = 0;
        int nextSibling = 0;
    };

    int takeRecord();
    int parseDocument();
    int parseFailure(const char* message, std::string_view name = {});
    bool skipNode(std::size_t markPos, std::size_t& after) const;
    bool isEmptyElement(int index) const;
    bool hasNoContent(int index) const;
    int lastChild(int index) const;
    std::string_view tagNameOf(int index) const;
    int findAttributeValue(int index, std::string_view name, std::size_t& valueStart,
                           std::size_t& valueLength) const;
    int insertElement(int parent, int previous, std::string_view name, std::string_view data);
    bool replaceText(std::size_t pos, std::size_t count, std::string_view with);
    void shiftSubtree(int index, int delta);
    void shiftFollowing(int index, int delta);

    std::string text_;
    std::string error_;
    std::vector<ElementRecord> records_;
    int free_ = 1;
    int parent_ = 0;
    int current_ = 0;
    int child_ = 0;
    bool valid_ = false;

    friend class XmlDocumentInspector;
};

// Reads an XML file into narrow text: bytes starting with FF FE are UTF-16 little-endian and
// are converted to UTF-8; anything else is taken unchanged. Returns false when the file cannot
// be read. byteCount receives the file's size in bytes.
bool readXmlFile(const std::string& path, std::string& text, std::size_t* byteCount = nullptr);

// The length check of the preferences and profile readers: false (reject) when the text is
// shorter than half the byte count minus 20 characters, a sign of embedded zero bytes.
bool passesLengthCheck(const std::string& text, std::size_t byteCount);

// Writes the document text byte for byte, without a byte-order mark. False on any failure. The
// text goes to a temporary file in the same folder that is then renamed over the target, so a
// failed write leaves an existing file untouched; a target that exists but is not a regular
// file is refused, and a symbolic link is written through.
bool writeXmlFile(const std::string& path, const std::string& text);

} // namespace pictavo
