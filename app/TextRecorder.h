#pragma once
// The outcome of a writer job as one JSON object: every text the run
// showed, in order and with where it was shown, recorded by a view that stands
// between the core and the console, and the command's own fields.

#include <mutex>
#include <string>
#include <vector>

#include "app/AttachedWriters.h"
#include "common/Json.h"
#include "common/View.h"

namespace vantrel {

class TextRecorder : public IView {
public:
    explicit TextRecorder(IView& inner) : m_inner(inner) {}

    void SetPaneText(int pane, const std::wstring& text) override;
    void SetProgress(int position) override { m_inner.SetProgress(position); }
    void SetControlText(int controlId, const std::wstring& text) override;
    void ShowMessage(const std::wstring& text, const std::wstring& caption,
                     unsigned style) override;
    uint8_t AskProgramMode() override { return m_inner.AskProgramMode(); }
    void PumpWorkerMessages() override { m_inner.PumpWorkerMessages(); }
    void RequestDeviceCheck() override { m_inner.RequestDeviceCheck(); }

    // Texts of the front end's own (the list of writers of a refusal, a time-out).
    void Note(const std::wstring& text);

    // [{"where": "connection", "text": "writer connect"}, ...]; where is one of
    // connection, error, activity, ic_name, checksum_moe, checksum_memory, message,
    // warning, cli.
    OrderedJson Texts();
    // The last text set into a control (empty when none).
    std::wstring LastControlText(int controlId);

private:
    void Add(const char* where, const std::wstring& text);

    IView& m_inner;
    std::mutex m_mutex;
    std::vector<std::pair<const char*, std::wstring>> m_texts;
};

// {"mode": ..., "path": ..., "location": ...}
OrderedJson WriterJson(const AttachedWriter& writer);

// One line of JSON (as JsonText, without indent) and a line end.
std::string JsonLine(const OrderedJson& value);

}  // namespace vantrel
