#include "tests/textinput/pipe_writer.h"

#include "tests/support/test_support.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <thread>

struct PipeWriter::State {
    std::string path;
    std::string bytes;
    std::atomic<bool> stop{false};
    std::thread thread;
};

namespace {
// Writes the bytes once a reader has opened the pipe, then closes the write end, which the
// reader sees as the end. Waits by polling, so that a reader that never comes cannot hold
// the writer for good.
void Feed(int fd, const std::string* bytes, std::atomic<bool>* stop) {
    // While nothing reads, a pipe's write end polls as an error.
    struct pollfd slot = {fd, POLLOUT, 0};
    while (!*stop && (poll(&slot, 1, 0) < 0 || (slot.revents & POLLERR))) {
        usleep(1000);
    }
    if (!*stop) {
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        size_t done = 0;
        while (done < bytes->size()) {
            ssize_t n = write(fd, bytes->data() + done, bytes->size() - done);
            if (n <= 0) {
                break; // the reader has gone
            }
            done += static_cast<size_t>(n);
        }
    }
    close(fd);
}
} // namespace

PipeWriter::PipeWriter(const std::string& directory, const std::string& bytes) : state_(new State) {
    static int serial = 0;
    signal(SIGPIPE, SIG_IGN); // a reader that gives up must not end the test program
    state_->path = directory + "/pipe" + std::to_string(++serial);
    state_->bytes = bytes;
    mkfifo(state_->path.c_str(), 0600);
    name_ = U16(state_->path);
    // The writer is there before the constructor returns, as a program writing into a FIFO
    // is, so that a reader that opens the pipe without waiting finds it. An open for reading
    // and writing never waits; the write end opened beside it is the one kept.
    int both = open(state_->path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    int fd = open(state_->path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (both >= 0) {
        close(both);
    }
    if (fd >= 0) {
        state_->thread = std::thread(Feed, fd, &state_->bytes, &state_->stop);
    }
}

PipeWriter::~PipeWriter() {
    state_->stop = true;
    if (state_->thread.joinable()) {
        state_->thread.join();
    }
    unlink(state_->path.c_str());
    delete state_;
}

const char16_t* NullDeviceName() {
    return u"/dev/null";
}
