// A pipe that a thread fills with bytes once a reader has opened it: a FIFO on Linux, a named
// pipe on Windows. The destructor releases a writer whose reader never came, and removes the
// pipe.
#pragma once

#include <string>

class PipeWriter {
  public:
    // `directory`: where a FIFO is made (Linux); named pipes live in their own namespace.
    PipeWriter(const std::string& directory, const std::string& bytes);
    ~PipeWriter();
    PipeWriter(const PipeWriter&) = delete;
    PipeWriter& operator=(const PipeWriter&) = delete;
    const std::u16string& Name() const { return name_; }

    struct State; // the writing thread's, per flavour

  private:
    State* state_;
    std::u16string name_;
};

// The device that reads as empty: /dev/null, NUL.
const char16_t* NullDeviceName();
