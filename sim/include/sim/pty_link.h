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
    // Creates the pseudo-terminal with its slave in raw mode, the folder when it is missing, and
    // the link <folder>/COM<port> (replacing one already there). Throws std::runtime_error when
    // any of them cannot be made.
    PtyLink(const std::string& folder, int port, std::shared_ptr<LineDevice> device);
    ~PtyLink();  // stops the thread, removes the link, closes both sides

    PtyLink(const PtyLink&) = delete;
    PtyLink& operator=(const PtyLink&) = delete;

    // Runs the device on a thread of its own until stop() or destruction. The thread asks for
    // real-time scheduling so that answers leave at once on a loaded machine; without the
    // privilege it runs at normal priority.
    void start();
    void stop();

    const std::string& linkPath() const { return linkPath_; }
    const std::string& slavePath() const { return slavePath_; }

private:
    void openPseudoTerminal();
    void watchSlaveCloses();
    void run();
    void serveOnce();
    void takeInput(std::string& out);
    void releaseExclusiveUse();
    void send(const std::string& out);
    void closeAll();

    std::shared_ptr<LineDevice> device_;
    std::string linkPath_;
    std::string slavePath_;
    int master_ = -1;
    int keepSlaveOpen_ = -1;  // so that the master never sees a hang-up between users
    int closeWatch_ = -1;     // inotify on the slave: a user closed it
    std::atomic<bool> running_{false};
    std::thread thread_;
};

}  // namespace sim
