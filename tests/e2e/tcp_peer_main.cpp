// A BASIC-style program that works TCP/IP handles by commands read from
// standard input, one a line, answering each on standard output (a BASIC
// error answers "ERROR n" instead):
//
//   host TEXT         opens a host; answers "handle H"
//   client TEXT       opens a client connection; answers "handle H"
//   accept H          waits (up to 20 s) for a connection on host H; "handle H"
//   address H         "address TEXT"
//   connected H       "connected N"
//   put H FILE        PUT of the bytes of FILE (the rest of the line); "put N"
//   putaddress H      PUT of H's own address text on H; "put N"
//   get H COUNT FILE  takes LOF bytes with GET until COUNT have come (up to
//                     60 s) and writes them to FILE (the rest of the line);
//                     "got N"
//   close H           CLOSE #H; "closed"
//   spawn COMMAND     starts a program that outlives this one; "spawned"
//   quit              SYSTEM
//
// With the argument --window the program shows its window, so a test can
// press the close button while a statement waits.
#include "core/basic.h"
#include "core/errors.h"
#include "core/program_thread.h"
#include "core/startup.h"
#include "core/strings.h"
#include "core/timing.h"
#include "files/file_position.h"
#include "files/get_put.h"
#include "files/network_handles.h"
#include "files/open_close.h"
#include "platform/os_process.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace
{

void answer(const std::string &text)
{
    std::printf("%s\n", text.c_str());
    std::fflush(stdout);
}

std::string text_of(const string_descriptor *s)
{
    return std::string(reinterpret_cast<const char *>(s->chr), size_t(s->len));
}

void put_bytes(int32_t h, std::string bytes)
{
    byte_element e{};
    rt_put(h, 0, byte_element_fill(uintptr_t(bytes.data()), int32_t(bytes.size()), &e), 0);
    answer("put " + std::to_string(bytes.size()));
}

// Takes whatever is waiting, as LOF tells, until count bytes have come.
void get_bytes(int32_t h, int64_t count, const std::string &file)
{
    std::string got;
    for (int i = 0; int64_t(got.size()) < count && i < 6000 && !error_pending; ++i) {
        int64_t waiting = std::min<int64_t>(rt_lof(h), count - int64_t(got.size()));
        if (waiting == 0) {
            delay_seconds(0.01);
            continue;
        }
        std::string piece(size_t(waiting), '\0');
        byte_element e{};
        rt_get(h, 0, byte_element_fill(uintptr_t(piece.data()), int32_t(waiting), &e), 0);
        got += piece;
    }
    std::ofstream(file, std::ios::binary) << got;
    answer("got " + std::to_string(got.size()));
}

int32_t accept_wait(int32_t host)
{
    for (int i = 0; i < 2000 && !error_pending; ++i) {
        if (int32_t h = connection_accept(host))
            return h;
        delay_seconds(0.01);
    }
    return 0;
}

std::string file_bytes(const std::string &name)
{
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void command_run(const std::string &line)
{
    std::istringstream in(line);
    std::string word, text;
    int32_t h = 0;
    in >> word;
    if (word == "host" || word == "client") {
        in >> text;
        string_descriptor *s = string_from_cstr(text.c_str());
        h = word == "host" ? connection_open_host(s) : connection_open_client(s);
        answer("handle " + std::to_string(h));
        return;
    }
    if (word == "spawn") {
        std::getline(in >> std::ws, text);
        answer(os_program_start(text) ? "spawned" : "not spawned");
        return;
    }
    if (word == "quit")
        rt_system();
    in >> h;
    if (word == "accept") {
        answer("handle " + std::to_string(accept_wait(h)));
    } else if (word == "address") {
        answer("address " + text_of(connection_address_str(h)));
    } else if (word == "connected") {
        answer("connected " + std::to_string(connection_is_connected(h)));
    } else if (word == "put") {
        std::getline(in >> std::ws, text);
        put_bytes(h, file_bytes(text));
    } else if (word == "putaddress") {
        put_bytes(h, text_of(connection_address_str(h)));
    } else if (word == "get") {
        int64_t count = 0;
        in >> count;
        std::getline(in >> std::ws, text);
        get_bytes(h, count, text);
    } else if (word == "close") {
        rt_close(h, 1);
        answer("closed");
    } else {
        answer("unknown " + word);
    }
}

void main_module()
{
    basic_procedure p;
    std::string line;
    uint32_t line_number = 1;
    answer("ready");
    while (std::getline(std::cin, line)) {
        p.stmt(line_number++, [&] {
            command_run(line);
            if (uint32_t n = error_pending_take())
                answer("ERROR " + std::to_string(n));
        });
    }
    rt_system();
}

} // namespace

int main(int argc, char **argv)
{
    bool window = argc > 1 && std::strcmp(argv[1], "--window") == 0;
    program_unit unit{main_module, !window, false, 0, 0};
    return runtime_main(argc, argv, unit);
}
