#include "core/notifier.h"

#include <atomic>
#include <cstdio>

namespace pictavo {
namespace {

MessageAnswer fitAnswer(MessageAnswer wanted, MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::Ok:
        return MessageAnswer::Ok;
    case MessageButtons::OkCancel:
        return (wanted == MessageAnswer::Cancel || wanted == MessageAnswer::No)
                   ? MessageAnswer::Cancel
                   : MessageAnswer::Ok;
    case MessageButtons::YesNo:
        return (wanted == MessageAnswer::No || wanted == MessageAnswer::Cancel)
                   ? MessageAnswer::No
                   : MessageAnswer::Yes;
    case MessageButtons::YesNoCancel:
        if (wanted == MessageAnswer::Ok)
            return MessageAnswer::Yes;
        return wanted;
    }
    return wanted;
}

PrintingNotifier& defaultNotifier()
{
    static PrintingNotifier n;
    return n;
}

std::atomic<Notifier*>& current()
{
    static std::atomic<Notifier*> n{nullptr};
    return n;
}

} // namespace

MessageAnswer RecordingNotifier::showMessage(const std::string& text, const std::string& caption,
                                             MessageButtons buttons)
{
    messages_.push_back({text, caption, buttons});
    return fitAnswer(answer_, buttons);
}

MessageAnswer PrintingNotifier::showMessage(const std::string& text, const std::string& caption,
                                            MessageButtons buttons)
{
    if (caption.empty())
        std::fprintf(stderr, "%s\n", text.c_str());
    else
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    return fitAnswer(MessageAnswer::Ok, buttons);
}

Notifier& notifier()
{
    Notifier* n = current().load();
    return n ? *n : defaultNotifier();
}

Notifier* installNotifier(Notifier* notifier)
{
    return current().exchange(notifier);
}

} // namespace pictavo
