// gendata DIR: writes the demo's eleven data files into DIR, deterministically.
#include "tools/gendata/gendata.h"

#include <cstdio>
#include <filesystem>
#include <functional>

namespace {

bool write_file(const std::filesystem::path& path, const bytes& data)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        std::perror(path.c_str());
        return false;
    }
    bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
    ok = (std::fclose(f) == 0) && ok;
    if (!ok)
        std::fprintf(stderr, "gendata: cannot write %s\n", path.c_str());
    return ok;
}

struct video { const char* name; int frames; };
constexpr video videos[] = {{"dd", 80}, {"na_eka", 40}, {"na_toka", 40}, {"onnettomuus", 80},
                            {"paa", 40}, {"siunaus", 40}, {"ukko", 40}};

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: gendata DIR\n");
        return 2;
    }
    std::filesystem::path dir = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec) {
        std::fprintf(stderr, "gendata: cannot create %s: %s\n", argv[1], ec.message().c_str());
        return 1;
    }
    bool ok = write_file(dir / "tehas2.mod", gen_module());
    for (const video& v : videos)
        ok = write_file(dir / (std::string(v.name) + ".raw"), gen_video(v.name, v.frames)) && ok;
    ok = write_file(dir / "ratas.raw", gen_ratas()) && ok;
    ok = write_file(dir / "kooste.raw", gen_kooste()) && ok;
    ok = write_file(dir / "quendal.raw", gen_quendal()) && ok;
    return ok ? 0 : 1;
}
