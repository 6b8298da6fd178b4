#pragma once

#include <memory>
#include <string>
#include <vector>

namespace pictavo {

// Buttons of a message box and the answers it can give.
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageAnswer { Ok, Cancel, Yes, No };

// How code below the user interface shows the program's message boxes. The desktop program
// installs one that shows a dialog, the command-line maker one that prints, tests one that
// records.
class Notifier {
public:
    virtual ~Notifier() = default;
    virtual MessageAnswer showMessage(const std::string& text, const std::string& caption,
                                      MessageButtons buttons) = 0;
    MessageAnswer showMessage(const std::string& text)
    {
        return showMessage(text, std::string(), MessageButtons::Ok);
    }
};

// Remembers every message and answers with a preset answer (Ok/Yes by default).
class RecordingNotifier : public Notifier {
public:
    struct Message {
        std::string text;
        std::string caption;
        MessageButtons buttons;
    };
    using Notifier::showMessage;
    MessageAnswer showMessage(const std::string& text, const std::string& caption,
                              MessageButtons buttons) override;

    // The answer given to every later question; an Ok/Cancel box answers Cancel to No,
    // a Yes/No box answers No to Cancel.
    void setAnswer(MessageAnswer answer) { answer_ = answer; }
    const std::vector<Message>& messages() const { return messages_; }
    void clear() { messages_.clear(); }

private:
    std::vector<Message> messages_;
    MessageAnswer answer_ = MessageAnswer::Ok;
};

// Prints every message to standard error and gives the default answer (Ok, Yes).
class PrintingNotifier : public Notifier {
public:
    using Notifier::showMessage;
    MessageAnswer showMessage(const std::string& text, const std::string& caption,
                              MessageButtons buttons) override;
};

// The notifier used by code that shows messages; never null (a printing one until another is
// installed). The caller keeps ownership of what it installs and restores the previous one.
Notifier& notifier();
Notifier* installNotifier(Notifier* notifier);

} // namespace pictavo
