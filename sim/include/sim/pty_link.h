// Attaches a LineDevice to a pseudo-terminal and names its slave side COM<n> in a folder, so that
// a library opening port n with COM_PORT_DIR set to that folder talks to the device.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "sim/line_device.h"

namespace sim {

class PtyLink {
public:
    // Creates the pseudo-terminal (raw mode) and the link <folder>/COM<port>. Throws
    // std::runtime_error when either cannot be made.
    PtyLink(const std::string& folder, int port, std::shared_ptr<LineDevice> device);
    ~PtyLink();  // stops the thread, removes the link, closes both sides

    PtyLink(const PtyLink&) = delete;
    PtyLink& operator=(const PtyLink&) = delete;

    // Runs the device on a thread of its own until stop() or destruction.
    void start();
    void stop();

    const std::string& linkPath() const { return linkPath_; }
    const std::string& slavePath() const { return slavePath_; }

private:
    void run();

    std::shared_ptr<LineDevice> device_;
    std::string linkPath_;
    std::string slavePath_;
    int master_ = -1;
    int keepSlaveOpen_ = -1;  // so that the master never sees a hang-up between users
    std::atomic<bool> running_{false};
    std::thread thread_;
};

}  // namespace sim
