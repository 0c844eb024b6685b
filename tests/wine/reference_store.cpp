#include "tests/wine/reference_store.h"

#include <fstream>
#include <sstream>

namespace kestrin::test {

ReferenceStore::ReferenceStore(const std::string& initial)
    : m_path(m_folder.path() / "kestrin.ini") {
    std::ofstream(m_path, std::ios::binary) << initial;
    SetSettingsFilePath(m_path.string());
    SetSettingsHost(this);
    MeterSettings = {};
    LoadSettings();
    ApplySettingFallbacks();
}

ReferenceStore::~ReferenceStore() {
    SetSettingsHost(nullptr);
    SetSettingsFilePath("");
    MeterSettings = {};
}

void ReferenceStore::SaveAfterOk(bool lockSetChecked, int32_t left, int32_t top) {
    m_lockSet = lockSetChecked;
    m_left = left;
    m_top = top;
    SaveSettings();
}

void ReferenceStore::SaveOnClose(int32_t left, int32_t top) {
    m_left = left;
    m_top = top;
    SavePosition();
}

std::string ReferenceStore::Bytes() const {
    std::ifstream in(m_path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

}  // namespace kestrin::test
