#include "fuzzharness.h"

#include <QByteArray>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "config/obdfile.h"
#include "config/tq275.h"

namespace
{
[[noreturn]] void broken(const char *rule)
{
    std::fprintf(stderr, "fuzzObd: %s\n", rule);
    std::abort();
}
} // namespace

// The input is the whole file. A file that is refused leaves the record as it
// was; an accepted one hands over exactly its last 20 bytes, and writing that
// record out again gives a file that reads back the same.
int fuzzObd(const uint8_t *data, size_t size)
{
    const QByteArray file(reinterpret_cast<const char *>(data), int(size));
    TQ275 cfg;
    std::memset(cfg.bytes(), 0xA5, TQ275::Size);
    const ObdFile::Result r = ObdFile::parse(file, &cfg);
    if (r != ObdFile::Ok) {
        for (int i = 0; i < TQ275::Size; ++i) {
            if (cfg.bytes()[i] != 0xA5)
                broken("a refused file changed the record");
        }
        if (r == ObdFile::WrongSize && size == size_t(ObdFile::Size))
            broken("a file of the right size refused for its size");
        return 0;
    }
    if (size != size_t(ObdFile::Size))
        broken("a file of the wrong size accepted");
    if (std::memcmp(cfg.bytes(), data + ObdFile::HeaderSize, TQ275::Size) != 0)
        broken("the record is not the file's last 20 bytes");

    const QByteArray again = ObdFile::image(cfg);
    TQ275 back;
    std::memset(back.bytes(), 0, TQ275::Size);
    if (ObdFile::parse(again, &back) != ObdFile::Ok)
        broken("a file written from the record does not read back");
    if (std::memcmp(back.bytes(), cfg.bytes(), TQ275::Size) != 0)
        broken("the record changed on its way through a file");
    return 0;
}
