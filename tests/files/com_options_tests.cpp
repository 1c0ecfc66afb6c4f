#include "files/com_options.h"
#include "files/handle_table.h"

#include <gtest/gtest.h>
#include <string>

namespace
{

// The device fields a parse stored, as one comparable row.
struct port_row {
    int port, speed, parity, data_bits, stop_x10, asc, lf, rs, cd, cs, ds, op;
    bool operator==(const port_row &) const = default;
};

std::ostream &operator<<(std::ostream &out, const port_row &r)
{
    return out << "port " << r.port << " speed " << r.speed << " parity " << r.parity << " data "
               << r.data_bits << " stop " << r.stop_x10 << " asc " << r.asc << " lf " << r.lf
               << " rs " << r.rs << " cd " << r.cd << " cs " << r.cs << " ds " << r.ds << " op "
               << r.op;
}

// Parses name into a fresh record: the result, and the row when accepted.
int32_t parse(const std::string &name, port_row *row = nullptr)
{
    os_handle_record r{};
    int32_t result = com_open_parse(name, r);
    if (row)
        *row = {r.com_port, r.speed, r.parity, r.data_bits, r.stop_bits_x10, r.asc,
                r.lf,       r.rs,    r.cd_ms,  r.cs_ms,     r.ds_ms,         r.op_ms};
    return result;
}

TEST(ComOptions, AcceptedNamesStoreTheirSettingsAndTheDefaults)
{
    struct {
        const char *name;
        port_row want;
    } cases[] = {
        {"COM1:", {1, 300, 1, 7, 10, 0, 0, 0, 0, 1000, 1000, 10000}},
        {"com2:9600,n,8,1", {2, 9600, 0, 8, 10, 0, 0, 0, 0, 1000, 1000, 10000}},
        {"COM1:110", {1, 110, 1, 7, 20, 0, 0, 0, 0, 1000, 1000, 10000}},
        {"COM1:110,N,5", {1, 110, 0, 5, 15, 0, 0, 0, 0, 1000, 1000, 10000}},
        {"COM1:111,N,5", {1, 111, 0, 5, 10, 0, 0, 0, 0, 1000, 1000, 10000}},
        {"COM1:9600,N,8,1.5", {1, 9600, 0, 8, 15, 0, 0, 0, 0, 1000, 1000, 10000}},
        {"COM1:9600,N,8,1,", {1, 9600, 0, 8, 10, 0, 0, 0, 0, 1000, 1000, 10000}},
        {"COM255:,O,6,2", {255, 300, 2, 6, 20, 0, 0, 0, 0, 1000, 1000, 10000}},
        {"COM3:1200,S", {3, 1200, 3, 7, 10, 0, 0, 0, 0, 1000, 1000, 10000}},
        {"COM3:1200,M,,", {3, 1200, 4, 7, 10, 0, 0, 0, 0, 1000, 1000, 10000}},
        {"COM3:1200,PE", {3, 1200, 5, 7, 10, 0, 0, 0, 0, 1000, 1000, 10000}},
        {"COM1:9600,N,8,1,LF", {1, 9600, 0, 8, 10, 0, 0, 0, 0, 1000, 1000, 10000}},
        {"COM1:9600,N,8,1,ASC,LF", {1, 9600, 0, 8, 10, 1, 1, 0, 0, 1000, 1000, 10000}},
        {"COM1:9600,N,8,1,BIN,RS,TB,RB", {1, 9600, 0, 8, 10, 0, 0, 1, 0, 1000, 1000, 10000}},
        {"COM1:9600,N,8,1,DS0", {1, 9600, 0, 8, 10, 0, 0, 0, 0, 1000, 0, 0}},
        {"COM1:9600,N,8,1,OP", {1, 9600, 0, 8, 10, 0, 0, 0, 0, 1000, 1000, 10000}},
        {"COM1:9600,N,8,1,CD500,DS2000", {1, 9600, 0, 8, 10, 0, 0, 0, 500, 1000, 2000, 20000}},
        {"COM1:9600,N,8,1,CD9000", {1, 9600, 0, 8, 10, 0, 0, 0, 9000, 1000, 1000, 65535}},
        {"COM1:9600,N,8,1,CS,CD,DS,OP", {1, 9600, 0, 8, 10, 0, 0, 0, 0, 1000, 1000, 10000}},
        {"COM1:9600,N,8,1,CS0,OP65535", {1, 9600, 0, 8, 10, 0, 0, 0, 0, 0, 1000, 65535}},
        {"COM1:9600,N,8,1,RS7", {1, 9600, 0, 8, 10, 0, 0, 1, 0, 1000, 1000, 10000}},
        {"COM1:2147483647", {1, 2147483647, 1, 7, 10, 0, 0, 0, 0, 1000, 1000, 10000}},
    };
    for (const auto &c : cases) {
        port_row got{};
        EXPECT_EQ(parse(c.name, &got), 0) << c.name;
        EXPECT_EQ(got, c.want) << c.name;
    }
}

TEST(ComOptions, MalformedNamesAreRefused)
{
    const char *names[] = {
        "COM:", "COM256:", "COM1:0", "COM1:09600", "COM1:9600,X", "COM1:9600,N,9", "COM1:9600,N,4",
        "COM1:9600,N,8,3", "COM1:9600,5", "COM1:B600", "COM1:96A", "COM1:9600,N,8,1,,RS",
        "COM1:9600,N,8,1,CD70000", "COM1:9600,N,8,1,RS,RS", "COM1:9600,N,8,1,BIN,ASC",
        "COM1:9600,N,8,1,BIN,BIN", "COM1:9600,N,8,1,TB,TB", "COM1:9600,N,8,1,DS1,DS1",
        "COM1:9600,N,8,1,500", "COM1:9600,N,8,1,XY", "COM1:9600,N,8,1,RSX", "COM1:9600,N,8,1,RS05",
        "COM1:9600 ,N", "COM1:9600;N", "COM1:9600,N,8,1.5.", "COM1:9600,N,8,1,CD-1",
        "COM1:9600,N,8,1,C5D",
        // Numbers too large for their field never wrap into range.
        "COM4294967297:", "COM99999999999999999999999:", "COM1:4294967296", "COM1:2147483648",
        "COM1:99999999999999999999999999", "COM1:9600,N,8,1,CD4294967296",
        "COM1:9600,N,8,1,DS18446744073709551616", "COM1:9600,N,4294967304"};
    for (const char *name : names)
        EXPECT_EQ(parse(name), -1) << name;
}

TEST(ComOptions, OtherNamesAreOrdinaryFiles)
{
    const char *names[] = {"COM0:", "COM01:", "COM1.TXT", "COMMAND.TXT", "COM1",
                           "CO",    "",       "C:COM1:",  "COMX1:",      "saves/COM1:"};
    for (const char *name : names) {
        port_row got{};
        EXPECT_EQ(parse(name, &got), 0) << name;
        EXPECT_EQ(got.port, 0) << name;
    }
}

TEST(ComOptions, NoParseLeavesStateForTheNext)
{
    // A complete parse, a malformed one and CD0,DS0 without OP must not
    // change how the same name parses afterwards.
    port_row first{}, again{};
    ASSERT_EQ(parse("COM1:9600,N,8,1", &first), 0);
    EXPECT_EQ(parse("COM1:9600,N,8,1,CD0,DS0"), 0);
    EXPECT_EQ(parse("COM1:9600,N,9"), -1);
    EXPECT_EQ(parse("COM1:9600,N,8,1", &again), 0);
    EXPECT_EQ(again, first);
}

} // namespace
