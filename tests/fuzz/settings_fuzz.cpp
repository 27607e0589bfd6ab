// libFuzzer: arbitrary bytes as "Tarvex2.cfg". Reading must end in a record or in one of the
// archive's or the file's failures, never a crash or a hang, and never allocate more than the
// bytes could hold (run with -malloc_limit_mb). A record read is written again and must read
// back the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "app/settings_record.h"

using tarvex::app::LoadSettingsRecord;
using tarvex::app::SettingsRecord;
using tarvex::app::StoreSettingsRecord;

namespace {

bool Read(const std::vector<BYTE>& bytes, SettingsRecord& record) {
    CMemFile file(bytes);
    CArchive archive(&file, CArchive::load, 7);  // a small buffer: fields across refills
    try {
        return LoadSettingsRecord(archive, record);
    } catch (CException* failure) {
        failure->Delete();
        return false;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    SettingsRecord record;
    if (!Read(std::vector<BYTE>(data, data + size), record)) return 0;

    CMemFile written;
    CArchive archive(&written, CArchive::store);
    StoreSettingsRecord(archive, record);
    archive.Close();
    SettingsRecord again;
    if (!Read(written.Bytes(), again) || again.setupType != record.setupType ||
        again.customFile != record.customFile || again.portIndex != record.portIndex) {
        std::abort();
    }
    return 0;
}
