// The pxlib side of bench_cli: what `korvanta-cli info` does for one table, as a
// program built on pxlib alone (open, then every field's name, type and length
// printed), so that whole-process instruction counts compare the same work,
// start-up included.

extern "C" {
#include <paradox.h>
}

#include <cstdio>

namespace {

void quiet(pxdoc_t*, int, const char*, void*) {}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_cli_pxlib_info TABLE.db\n");
        return 2;
    }
    pxdoc_t* px = PX_new2(quiet, nullptr, nullptr, nullptr);
    if (PX_open_file(px, argv[1]) < 0) {
        std::fprintf(stderr, "%s: cannot open\n", argv[1]);
        return 1;
    }
    std::printf("%s: %d records\n", argv[1], PX_get_num_records(px));
    pxfield_t* fields = PX_get_fields(px);
    for (int i = 0; i < PX_get_num_fields(px); ++i)
        std::printf("  %s\t%d\t%d\n", fields[i].px_fname, fields[i].px_ftype, fields[i].px_flen);
    PX_close(px);
    PX_delete(px);
    return 0;
}
