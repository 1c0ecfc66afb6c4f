// A pseudo-terminal pair standing in for a serial line: the runtime opens the
// slave side as COM<port> (through COMn_DEVICE), the test talks through the
// master side. The test keeps its own descriptor of the slave, so the line
// stays up while the runtime closes and opens the port.
#pragma once

#include <string>

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

// The output speed of the line at path in bits per second, as termios2
// reports it; -1 when it cannot be read.
long pty_line_speed(const std::string &path);

// Milliseconds on the monotonic clock.
long long pty_now_ms();
