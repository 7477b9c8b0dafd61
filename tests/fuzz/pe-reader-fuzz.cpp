// The checker's PE reader over any bytes: every question it answers about a
// file stays within the file (the sanitizers stop at the first read outside).
#include "tools/namecheck/pe_reader.h"

#include <cstdint>
#include <string_view>

using namespace varnel;  // the product under test

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto image = ReadPeImage(bytes);
    if (!image)
        return 0;
    (void)HasExportTable(*image);
    if (const auto record = ExportedData(*image, "SFSEPlugin_Version"); record && record->data() + record->size() > bytes.data() + size)
        __builtin_trap();
    (void)SectionNames(*image);
    (void)ImportedDlls(*image);
    (void)ReadPeVersion(*image);
    return 0;
}
