#include "app/CTarnscopeApp.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string_view>

int main(int argc, char** argv)
{
    const auto started = std::chrono::steady_clock::now();
    const bool hasDisplay = std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY") || std::getenv("QT_QPA_PLATFORM");
    if (!hasDisplay) {
        const bool textOnly
            = argc > 1 && std::string_view(argv[1]).starts_with("-") && std::string_view(argv[1]) != "--virtual";
        if (!textOnly) {
            std::fprintf(stderr,
                "tarnscope: no display to show the window on. Run tarnscope-cli for a diagnosis "
                "without a window, or set QT_QPA_PLATFORM=offscreen.\n");
            return 0;
        }
        // --help and --version print text only.
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    tarnscope::CTarnscopeApp app(argc, argv);
    return app.Run(started);
}
