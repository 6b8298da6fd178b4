#pragma once

// A test with its own folder, a recording notifier and a log file of its own.

#include "core/app_paths.h"
#include "core/log.h"
#include "core/notifier.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace pictavo::test {

class AudioTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        previousNotifier_ = installNotifier(&messages);
        setLogFile(dir.file("log.txt"));
    }
    void TearDown() override
    {
        installNotifier(previousNotifier_);
        setLogFile("");
        setApplicationFolder("");
    }

    // The folder of a stand-in conversion library ("copy_only", "no_duration",
    // "no_conversion") becomes the application folder.
    static void useFakeConverter(const std::string& variant)
    {
        setApplicationFolder(std::string(PICTAVO_FAKE_CONVERTERS) + "/" + variant);
    }

    TempDir dir;
    RecordingNotifier messages;

private:
    Notifier* previousNotifier_ = nullptr;
};

} // namespace pictavo::test
