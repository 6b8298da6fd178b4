#pragma once

// Powering the computer off when a make-video job has finished. The job only ever calls the
// action it was given; tests give one that records the request.

#include <string>

namespace pictavo {

class ShutdownAction {
public:
    virtual ~ShutdownAction() = default;
    // Asks the system to power off. False (with the reason) when the request was refused.
    virtual bool powerOff(std::string* error) = 0;
};

// Asks the system manager to power off ("systemctl poweroff"). Only the desktop program
// installs it.
class SystemShutdown : public ShutdownAction {
public:
    bool powerOff(std::string* error) override;
};

// The question shown before powering off; OK (or no answer within ten seconds) goes on.
inline constexpr const char* kShutdownQuestion =
    "10s later will shutdown the computer!\nIf you do not want to shut down press cancel.";
inline constexpr const char* kShutdownCaption = "Slidora";

} // namespace pictavo
