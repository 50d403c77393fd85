#include "tests/textinput/pipe_writer.h"

#include "tests/support/test_support.h"

#include <fcntl.h>
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
// Polls for a reader so that a reader that never comes cannot block the writer for good.
void Feed(std::string path, const std::string* bytes, std::atomic<bool>* stop) {
    int fd = -1;
    while (!*stop && (fd = open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC)) < 0) {
        usleep(1000);
    }
    if (fd < 0) {
        return;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    size_t done = 0;
    while (done < bytes->size()) {
        ssize_t n = write(fd, bytes->data() + done, bytes->size() - done);
        if (n <= 0) {
            break; // the reader has gone
        }
        done += static_cast<size_t>(n);
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
    state_->thread = std::thread(Feed, state_->path, &state_->bytes, &state_->stop);
}

PipeWriter::~PipeWriter() {
    state_->stop = true;
    state_->thread.join();
    unlink(state_->path.c_str());
    delete state_;
}

const char16_t* NullDeviceName() {
    return u"/dev/null";
}
