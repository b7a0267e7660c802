#include "app/TextRecorder.h"

#include "common/Text.h"
#include "common/WindowSystem.h"

namespace vantrel {

void TextRecorder::Add(const char* where, const std::wstring& text) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_texts.emplace_back(where, text);
}

void TextRecorder::SetPaneText(int pane, const std::wstring& text) {
    static const char* const kWhere[] = {"label", "connection", "error", "activity"};
    if (pane >= 0 && pane < 4) Add(kWhere[pane], text);
    m_inner.SetPaneText(pane, text);
}

void TextRecorder::SetControlText(int controlId, const std::wstring& text) {
    if (controlId == kIdcIcName) Add("ic_name", text);
    if (controlId == kIdcFirstChecksum) Add("checksum_moe", text);
    if (controlId == kIdcSecondChecksum) Add("checksum_memory", text);
    m_inner.SetControlText(controlId, text);
}

void TextRecorder::ShowMessage(const std::wstring& text, const std::wstring& caption,
                               unsigned style) {
    Add(caption == L"警告" ? "warning" : "message", text);
    m_inner.ShowMessage(text, caption, style);
}

void TextRecorder::Note(const std::wstring& text) { Add("cli", text); }

OrderedJson TextRecorder::Texts() {
    std::lock_guard<std::mutex> lock(m_mutex);
    OrderedJson texts = OrderedJson::array();
    for (const auto& [where, text] : m_texts) {
        OrderedJson entry;
        entry["where"] = where;
        entry["text"] = ToUtf8(text);
        texts.push_back(std::move(entry));
    }
    return texts;
}

std::wstring TextRecorder::LastControlText(int controlId) {
    const char* wanted = controlId == kIdcIcName          ? "ic_name"
                         : controlId == kIdcFirstChecksum ? "checksum_moe"
                                                          : "checksum_memory";
    std::lock_guard<std::mutex> lock(m_mutex);
    for (auto it = m_texts.rbegin(); it != m_texts.rend(); ++it) {
        if (std::string(it->first) == wanted) return it->second;
    }
    return std::wstring();
}

OrderedJson WriterJson(const AttachedWriter& writer) {
    OrderedJson j;
    j["mode"] = ToUtf8(WriterModeName(writer.mode));
    j["path"] = ToUtf8(writer.path);
    j["location"] = writer.location.empty() ? OrderedJson() : OrderedJson(ToUtf8(writer.location));
    if (writer.mode == WriterMode::Busy) j["held_by"] = writer.heldBy;
    return j;
}

std::string JsonLine(const OrderedJson& value) { return JsonText(value, true); }

}  // namespace vantrel
