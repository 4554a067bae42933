#include "sim/pty_link.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sched.h>
#include <stdlib.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "platform/clock.h"

namespace sim {
namespace {

namespace fs = std::filesystem;

constexpr int kPollTimeoutMs = 1;
constexpr int kRealTimePriority = 20;
// How long an answer may wait for room on a side nobody reads before it is dropped. A side that
// takes bytes, however slowly, is read: each write that makes progress starts the wait again, so
// a long answer (a whole file from a line driver) reaches a reader that takes it byte by byte.
constexpr int kWriteGiveUpMs = 200;

[[noreturn]] void fail(const std::string& what) {
    throw std::runtime_error(what + ": " + std::strerror(errno));
}

void makeRaw(int fd) {
    termios tio{};
    if (tcgetattr(fd, &tio) != 0) fail("tcgetattr");
    cfmakeraw(&tio);
    if (tcsetattr(fd, TCSANOW, &tio) != 0) fail("tcsetattr");
}

// Points `link` at `target` in one step, so that a user never finds the name missing.
void replaceSymlink(const std::string& target, const std::string& link) {
    const std::string temporary = link + ".new";
    std::error_code ignored;
    fs::remove(temporary, ignored);
    fs::create_symlink(target, temporary);
    fs::rename(temporary, link);
}

void askForRealTime() {
    sched_param param{};
    param.sched_priority = kRealTimePriority;
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);  // failure leaves normal priority
}

}  // namespace

PtyLink::PtyLink(const std::string& folder, int port, std::shared_ptr<LineDevice> device)
    : device_(std::move(device)),
      linkPath_((fs::path(folder) / ("COM" + std::to_string(port))).string()) {
    try {
        openPseudoTerminal();
        watchSlaveCloses();
        fs::create_directories(folder);
        replaceSymlink(slavePath_, linkPath_);
    } catch (const fs::filesystem_error& error) {
        closeAll();
        throw std::runtime_error(error.what());
    } catch (...) {
        closeAll();
        throw;
    }
}

PtyLink::~PtyLink() {
    stop();
    std::error_code error;
    if (fs::read_symlink(linkPath_, error) == slavePath_) fs::remove(linkPath_, error);
    closeAll();
}

void PtyLink::openPseudoTerminal() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0) fail("posix_openpt");
    if (grantpt(master_) != 0 || unlockpt(master_) != 0) fail("grantpt");
    char name[128];
    if (ptsname_r(master_, name, sizeof name) != 0) fail("ptsname");
    slavePath_ = name;
    keepSlaveOpen_ = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (keepSlaveOpen_ < 0) fail("open " + slavePath_);
    makeRaw(keepSlaveOpen_);
    if (fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK) != 0) fail("fcntl");
}

// A user that opened the slave for exclusive use (TIOCEXCL) leaves the flag behind when it
// closes, and only a privileged user could open it again; watching for closes lets the link
// clear the flag each time. Without inotify the link works, only reopening may be refused.
void PtyLink::watchSlaveCloses() {
    closeWatch_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (closeWatch_ < 0) return;
    if (inotify_add_watch(closeWatch_, slavePath_.c_str(), IN_CLOSE_WRITE | IN_CLOSE_NOWRITE) < 0) {
        close(closeWatch_);
        closeWatch_ = -1;
    }
}

void PtyLink::start() {
    if (running_.exchange(true)) return;
    thread_ = std::thread(&PtyLink::run, this);
}

void PtyLink::stop() {
    running_ = false;
    if (thread_.joinable()) thread_.join();
}

void PtyLink::run() {
    askForRealTime();
    while (running_) serveOnce();
}

// Waits up to a millisecond for input; hands it to the device, or tells the device the line is
// quiet, and sends whatever the device answered in one write.
void PtyLink::serveOnce() {
    pollfd fds[2] = {{.fd = master_, .events = POLLIN, .revents = 0},
                     {.fd = closeWatch_, .events = POLLIN, .revents = 0}};
    const int ready = poll(fds, closeWatch_ >= 0 ? 2 : 1, kPollTimeoutMs);
    if (ready < 0) return;
    if (closeWatch_ >= 0 && (fds[1].revents & POLLIN)) releaseExclusiveUse();
    std::string out;
    if (fds[0].revents & POLLIN) {
        takeInput(out);
    } else if (fds[0].revents & (POLLHUP | POLLERR)) {
        usleep(kPollTimeoutMs * 1000);  // no slave side for now; never spin
        return;
    } else if (ready == 0) {
        device_->idle(platform::counterNow(), out);
    }
    send(out);
}

void PtyLink::takeInput(std::string& out) {
    uint8_t buffer[4096];
    const int64_t now = platform::counterNow();
    const ssize_t count = read(master_, buffer, sizeof buffer);
    if (count > 0) device_->received(buffer, static_cast<size_t>(count), now, out);
}

void PtyLink::releaseExclusiveUse() {
    char events[4096];
    while (read(closeWatch_, events, sizeof events) > 0) {
    }
    ioctl(keepSlaveOpen_, TIOCNXCL);
}

void PtyLink::send(const std::string& out) {
    size_t sent = 0;
    int64_t giveUp = platform::counterNow() + int64_t{kWriteGiveUpMs} * 1'000'000;
    while (sent < out.size() && running_ && platform::counterNow() < giveUp) {
        const ssize_t count = write(master_, out.data() + sent, out.size() - sent);
        if (count > 0) {
            sent += static_cast<size_t>(count);
            giveUp = platform::counterNow() + int64_t{kWriteGiveUpMs} * 1'000'000;
        } else if (count < 0 && errno != EAGAIN && errno != EINTR) {
            return;
        } else {
            pollfd room{.fd = master_, .events = POLLOUT, .revents = 0};
            poll(&room, 1, kPollTimeoutMs);
        }
    }
}

void PtyLink::closeAll() {
    for (int* fd : {&closeWatch_, &keepSlaveOpen_, &master_}) {
        if (*fd >= 0) close(*fd);
        *fd = -1;
    }
}

}  // namespace sim
