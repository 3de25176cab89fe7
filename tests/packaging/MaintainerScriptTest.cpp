#include "PackagingSupport.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace tarnscope {
namespace {

namespace fs = std::filesystem;

// A udevadm that logs its arguments and exits with the status the case sets
// for the step.
constexpr const char* FAKE_UDEVADM = R"(#!/bin/sh
echo "$*" >> "$UDEVADM_LOG"
case "$1 $2" in
"control --ping") exit "$PING_STATUS" ;;
"control --reload-rules") exit "$RELOAD_STATUS" ;;
trigger*) exit "$TRIGGER_STATUS" ;;
esac
exit 0
)";

struct ScriptCase {
    const char* argument; // as dpkg passes it to postinst or postrm
    bool udevadmInstalled;
    int pingStatus; // non-zero: udev is not running
    int reloadStatus;
    int triggerStatus;
    const char* expectedCalls;
};

constexpr const char* PING = "control --ping --timeout=5\n";
constexpr const char* RELOAD = "control --ping --timeout=5\ncontrol --reload-rules\n";
constexpr const char* RELOAD_AND_TRIGGER = "control --ping --timeout=5\n"
                                           "control --reload-rules\n"
                                           "trigger --subsystem-match=hidraw\n";

constexpr ScriptCase SCRIPT_CASES[] = {
    { "configure", true, 0, 0, 0, RELOAD_AND_TRIGGER },
    { "remove", true, 0, 0, 0, RELOAD_AND_TRIGGER },
    { "configure", false, 0, 0, 0, "" },
    { "configure", true, 1, 0, 0, PING },
    { "remove", true, 0, 1, 0, RELOAD },
    { "configure", true, 0, 0, 1, RELOAD_AND_TRIGGER },
    { "upgrade", true, 0, 0, 0, "" },
    { "purge", true, 0, 0, 0, "" },
    { "abort-upgrade", true, 0, 0, 0, "" },
};

// The script serves as postinst and postrm. It must never fail the package
// operation (containers and chroots have no udev) and must replay hidraw
// devices only after the rules were reloaded.
TEST(MaintainerScript, ReloadsUdevRulesOnlyWhereUdevRunsAndNeverFails)
{
    for (const ScriptCase& c : SCRIPT_CASES) {
        SCOPED_TRACE(std::string(c.argument) + (c.udevadmInstalled ? "" : ", no udevadm") + ", ping "
            + std::to_string(c.pingStatus) + ", reload " + std::to_string(c.reloadStatus) + ", trigger "
            + std::to_string(c.triggerStatus));
        TempFolder temp;
        ASSERT_FALSE(temp.Path().empty());
        const fs::path bin = temp.Path() / "bin";
        const fs::path log = temp.Path() / "udevadm.log";
        fs::create_directories(bin);
        if (c.udevadmInstalled) {
            std::ofstream(bin / "udevadm") << FAKE_UDEVADM;
            fs::permissions(bin / "udevadm", fs::perms::owner_all);
        }

        const auto run = RunCommand("PATH='" + bin.string() + "' UDEVADM_LOG='" + log.string()
            + "' PING_STATUS=" + std::to_string(c.pingStatus) + " RELOAD_STATUS=" + std::to_string(c.reloadStatus)
            + " TRIGGER_STATUS=" + std::to_string(c.triggerStatus) + " /bin/sh '"
            + SourcePath("packaging/debian/reload-udev-rules.sh").string() + "' " + c.argument);
        EXPECT_EQ(run.exitCode, 0) << run.output;
        EXPECT_EQ(run.output, "");
        EXPECT_EQ(ReadText(log), c.expectedCalls);
    }
}

} // namespace
} // namespace tarnscope
