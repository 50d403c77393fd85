#include "tests/textinput/pipe_writer.h"

#include "platform/platform.h"
#include "tests/support/test_support.h"

#include <windows.h>

#include <atomic>
#include <thread>

struct PipeWriter::State {
    HANDLE pipe;
    std::string bytes;
    std::atomic<bool> stop{false};
    std::atomic<bool> connected{false};
    std::thread thread;
};

namespace {
void Feed(PipeWriter::State* s);
}

PipeWriter::PipeWriter(const std::string& /*directory*/, const std::string& bytes)
    : state_(new State) {
    static int serial = 0;
    name_ = U16("\\\\.\\pipe\\hbtest-" + std::to_string(PlatformGetCurrentProcessId()) + "-" +
                std::to_string(++serial));
    state_->bytes = bytes;
    state_->pipe = CreateNamedPipeW(reinterpret_cast<LPCWSTR>(name_.c_str()), PIPE_ACCESS_OUTBOUND,
                                    PIPE_TYPE_BYTE | PIPE_WAIT, 1, 65536, 65536, 0, nullptr);
    state_->thread = std::thread(Feed, state_);
}

PipeWriter::~PipeWriter() {
    state_->stop = true;
    if (!state_->connected) {
        // Release a writer whose reader never came by coming ourselves.
        HANDLE client = CreateFileW(reinterpret_cast<LPCWSTR>(name_.c_str()), GENERIC_READ, 0,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
        if (client != INVALID_HANDLE_VALUE) {
            CloseHandle(client);
        }
    }
    state_->thread.join();
    delete state_;
}

namespace {
void Write(PipeWriter::State* s) {
    if (!ConnectNamedPipe(s->pipe, nullptr) && GetLastError() != ERROR_PIPE_CONNECTED) {
        return;
    }
    s->connected = true;
    if (s->stop) {
        return;
    }
    size_t done = 0;
    while (done < s->bytes.size()) {
        DWORD n = 0;
        if (!WriteFile(s->pipe, s->bytes.data() + done, static_cast<DWORD>(s->bytes.size() - done),
                       &n, nullptr)) {
            return; // the reader has gone
        }
        done += n;
    }
    FlushFileBuffers(s->pipe); // until the reader has it all
}

// Closing the pipe is what ends the reader's data.
void Feed(PipeWriter::State* s) {
    if (s->pipe != INVALID_HANDLE_VALUE) {
        Write(s);
        CloseHandle(s->pipe);
    }
}
} // namespace

const char16_t* NullDeviceName() {
    return u"NUL";
}
