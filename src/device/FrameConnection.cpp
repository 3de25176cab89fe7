// The connection procedure: runs on every device arrival or removal.
#include "device/FrameLink.h"

#include <numeric>

namespace tarnscope {

namespace {

constexpr std::uint32_t CONNECTED_TIMEOUT_MS = 30;

// Open preference: rows 1..5 in table order; row 0 only when none of them is present.
constexpr std::array<int, 5> OPEN_PREFERENCE { 1, 2, 3, 4, 5 };

} // namespace

void FrameLink::OnDeviceChange()
{
    std::array<int, KNOWN_FRAME_IDS.size()> counts {};
    for (std::size_t i = 0; i < KNOWN_FRAME_IDS.size(); ++i)
        counts[i] = m_env.device.CountDevices(KNOWN_FRAME_IDS[i].vendorId, KNOWN_FRAME_IDS[i].productId);
    const int total = std::accumulate(counts.begin(), counts.end(), 0);

    if (total <= 0) {
        m_lastDeviceCount = 0;
        // The worker closes the device as it ends; join it before touching the device.
        StopThreads();
        if (m_env.device.IsOpen())
            m_env.device.Close();
        m_env.host.setTitle(g_titlePrefix + "Troubleshooting Tools, Disconnected");
        m_env.host.setButtonEnabled(BUTTON_AUTO_DIAGNOSIS, false);
        m_env.host.setButtonEnabled(BUTTON_ADVANCE_DIAGNOSIS, false);
        return;
    }
    if (total == m_lastDeviceCount)
        return;
    ConnectFrame(total, counts);
}

void FrameLink::ConnectFrame(int total, const std::array<int, KNOWN_FRAME_IDS.size()>& counts)
{
    StopThreads();
    if (m_env.device.IsOpen()) {
        m_env.device.Close();
        m_env.clock.sleepMs(100);
    }
    if (total != 2) {
        m_env.prompt.showMessage("You have plus in to much device at the same time!", "Error", MessageIcon::Error);
        return;
    }

    KnownFrameId chosen = KNOWN_FRAME_IDS[0];
    for (int row : OPEN_PREFERENCE) {
        if (counts[row] > 0) {
            chosen = KNOWN_FRAME_IDS[row];
            break;
        }
    }
    std::vector<std::string> denied;
    OpenVendorInterface(chosen, denied);

    m_scanMode = SCAN_MODE_ALL;
    m_bHandshakeDone = false;
    StartThreads();
    m_env.clock.sleepMs(50);

    HandshakeNonce nonce {};
    MakeNonce(nonce, [] { return std::rand(); });
    m_bResponseReceived = false;
    if (!WriteWithRetries(BuildIdentifyCommand(nonce), 3, 0)) {
        m_bThreadsRunning = false;
        m_env.clock.sleepMs(10);
        if (denied.empty())
            m_env.prompt.showMessage(
                "Not validate device,plus out device and retry again!", "Failed", MessageIcon::Error);
        else
            m_env.prompt.showMessage(PermissionDeniedMessage(denied), "Error", MessageIcon::Error);
        return;
    }

    m_lastDeviceCount = 2;
    m_env.clock.sleepMs(300);
    if (!m_bResponseReceived) {
        m_bThreadsRunning = false;
        m_env.prompt.showMessage("Not validate device,please plus in a validate device.", "Error", MessageIcon::Error);
        m_env.host.quitProgram();
        return;
    }

    m_env.clock.sleepMs(100);
    m_bResponseReceived = false;
    WriteWithRetries(BuildCommand(HID_CMD_EXTRA_ID), 3, 50);

    m_env.host.setButtonEnabled(BUTTON_ADVANCE_DIAGNOSIS, true);
    m_env.host.setButtonEnabled(BUTTON_AUTO_DIAGNOSIS, true);
    m_env.host.runAutoDiagnosis();
}

std::string PermissionDeniedMessage(const std::vector<std::string>& nodes)
{
    std::string list;
    for (const std::string& node : nodes)
        list += (list.empty() ? "" : ", ") + node;
    return "The touch frame is attached, but this user may not open " + list
        + ".\n\nThe udev rule 70-tarnscope.rules gives the logged-in user access to the frame. Install the "
          "tarnscope package, or copy packaging/70-tarnscope.rules to /etc/udev/rules.d/, then run\n"
          "sudo udevadm control --reload-rules && sudo udevadm trigger\nand plug the frame in again.";
}

bool FrameLink::OpenVendorInterface(const KnownFrameId& id, std::vector<std::string>& denied)
{
    for (int index = 0; index < 2; ++index) {
        if (m_env.device.Open(index, id.vendorId, id.productId) != HidStatus::Success) {
            if (m_env.device.LastOpenError() == OpenError::PermissionDenied)
                denied.push_back(m_env.device.LastOpenPath());
            continue;
        }
        m_env.device.SetTimeouts(CONNECTED_TIMEOUT_MS, CONNECTED_TIMEOUT_MS);
        if (m_env.device.OutputReportLength() != 0)
            return true;
        m_env.device.Close();
    }
    return false;
}

} // namespace tarnscope
