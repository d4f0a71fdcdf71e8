// Packs the window's document files into the block the program embeds. Runs at build time.
#include "archive/archive_reader.h"
#include "archive/archive_writer.h"
#include "archive/folder_files.h"

#include <fmt/core.h>

#include <cstdint>
#include <exception>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

void write_block(const std::filesystem::path& output, const std::vector<std::uint8_t>& block)
{
    std::ofstream out(output, std::ios::binary | std::ios::trunc);
    if (!out)
        throw std::runtime_error("cannot create " + output.string());
    out.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(block.size()));
    out.close();
    if (!out)
        throw std::runtime_error("cannot write " + output.string());
}

int run(int argc, char** argv)
{
    if (argc < 4) {
        fmt::print(stderr, "usage: uipack <ui-root> <output-file> <subfolder>...\n");
        return 2;
    }
    const std::filesystem::path root = argv[1];
    const std::filesystem::path output = argv[2];
    const std::vector<std::string> subfolders(argv + 3, argv + argc);

    const auto files = uiarchive::collect_ui_files(root, subfolders);
    const auto block = uiarchive::pack_archive(files);
    // Read our own output back: a block the reader refuses must never reach the build.
    const auto view = uiarchive::open_archive(block);
    if (!view)
        throw std::runtime_error("the packed block does not read back");
    write_block(output, block);

    fmt::print("uipack: {} items, {} nodes, {} bytes -> {}\n", view->item_count, view->node_count, block.size(),
               output.string());
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    try {
        return run(argc, argv);
    } catch (const std::exception& error) {
        fmt::print(stderr, "uipack: error: {}\n", error.what());
        return 1;
    }
}
