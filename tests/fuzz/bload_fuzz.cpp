// Fuzz target for BLOAD: the input's first five bytes choose the DEF SEG
// segment, an offset and whether it is given; the rest is the file. A
// crafted header must never make BLOAD write outside the emulated memory
// (AddressSanitizer watches the block's edges); BASIC errors are expected and
// cleared.
#include "core/dos_memory.h"
#include "core/errors.h"
#include "core/strings.h"
#include "files/bsave_bload.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace
{

// The file BLOAD reads and BSAVE writes: one per process under TMPDIR,
// removed after each input.
const std::string &file_name()
{
    static const std::string name = [] {
        const char *tmp = std::getenv("TMPDIR");
        return std::string(tmp && *tmp ? tmp : "/tmp") + "/bload_fuzz_" +
               std::to_string(getpid());
    }();
    return name;
}

void file_write(const uint8_t *data, size_t size)
{
    std::FILE *f = std::fopen(file_name().c_str(), "wb");
    if (!f)
        return;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static bool started = false;
    if (!started) {
        dos_memory_startup();
        strings_static_init();
        started = true;
    }
    if (size < 5)
        return 0;
    const int32_t segment = int32_t(data[0] | data[1] << 8);
    const int32_t offset = int32_t(int16_t(data[2] | data[3] << 8)) * 2;
    file_write(data + 5, size - 5);
    rt_def_seg(segment, 1);
    string_descriptor *name = string_from_cstr(file_name().c_str());
    rt_bload(name, offset, data[4] & 1);
    error_pending_take();
    rt_bsave(name, offset, int32_t(size) * (data[4] >> 1));
    error_pending_take();
    string_free(name);
    std::remove(file_name().c_str());
    return 0;
}
