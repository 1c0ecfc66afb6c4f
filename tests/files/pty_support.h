// A pseudo-terminal pair standing in for a serial line: the runtime opens the
// slave side as COM<port> (through COMn_DEVICE), the test talks through the
// master side. The test keeps its own descriptor of the slave, so the line
// stays up while the runtime closes and opens the port.
#pragma once

#include <string>
#include <utility>

class pty_line
{
  public:
    explicit pty_line(int port = 1);
    ~pty_line();
    pty_line(const pty_line &) = delete;
    pty_line &operator=(const pty_line &) = delete;

    const std::string &slave_path() const { return path_; }

    // Writes every byte to the runtime's side.
    void send(const std::string &bytes);

    // Reads what the runtime sent, until count bytes or wait_ms without any.
    std::string receive(size_t count, int wait_ms = 2000);

  private:
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
    std::string variable_;
};

// The input and output speeds of the line at path in bits per second, as
// termios2 reports them; -1 and -1 when they cannot be read.
std::pair<long, long> pty_line_speeds(const std::string &path);

// Milliseconds on the monotonic clock.
long long pty_now_ms();
