#pragma once
// A HID platform that passes everything to another one and shows every report that
// crosses the link to an observer and, with a trace file, writes it there, one
// line each:
//   OUT app <128 hex digits: the 64 data bytes written>
//   IN boot <hex digits of the data bytes received>
// The identity ("app" for version 0x0100, "boot" for 0x8888) is the version that
// the interface reported when CHidDevice matched it just before opening it. Each
// line is written whole and flushed, so an interrupted run leaves whole lines; the
// first write that fails ends the trace and is kept with its reason.

#include <cstdint>
#include <cstdio>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "link/HidPlatform.h"

namespace vantrel::cli {

// Told of the reports of the link, on the thread that moves them.
class ILinkObserver {
public:
    virtual ~ILinkObserver() = default;
    // A report is about to be written (data bytes, report id excluded).
    virtual void Writing(uint16_t version, const uint8_t* data, size_t count) = 0;
    // A report was read.
    virtual void Received(uint16_t version, const uint8_t* data, size_t count) = 0;
    // A handle was closed (a transaction ended).
    virtual void Closed() = 0;
};

class TracingPlatform : public IHidPlatform {
public:
    // `out` (may be nullptr: no trace) and `observer` (may be nullptr) stay owned by
    // the caller and must outlive this object.
    TracingPlatform(IHidPlatform& inner, FILE* out, ILinkObserver* observer = nullptr);

    bool EnumerateInterfaces(std::vector<std::wstring>& paths) override;
    bool QueryAttributes(const std::wstring& path, HidAttributes& attributes) override;
    HidHandle OpenForRead(const std::wstring& path) override;
    HidHandle OpenForWrite(const std::wstring& path) override;
    void Close(HidHandle handle) override;
    HidIo Write(HidHandle handle, const uint8_t* report, uint32_t length, uint32_t timeoutMs,
                uint32_t& transferred) override;
    bool InterfaceLocation(const std::wstring& path, std::wstring& location) override {
        return m_inner.InterfaceLocation(path, location);
    }
    bool ForgetRememberedList() override { return m_inner.ForgetRememberedList(); }
    HidIo Read(HidHandle handle, uint8_t* report, uint32_t length, uint32_t timeoutMs,
               uint32_t& transferred) override;

    // The reason the trace could not be written (empty while it could).
    std::wstring TraceFailure();

    // One trace line for `count` data bytes (report id excluded).
    static std::string Line(bool out, uint16_t version, const uint8_t* data, size_t count);

private:
    void Remember(HidHandle handle, const std::wstring& path);
    uint16_t VersionOf(HidHandle handle);
    void Emit(const std::string& line);

    IHidPlatform& m_inner;
    FILE* m_out;
    ILinkObserver* m_observer;
    std::mutex m_mutex;
    std::map<std::wstring, uint16_t> m_versionByPath;
    std::map<HidHandle, uint16_t> m_versionByHandle;
    std::wstring m_traceFailure;
};

}  // namespace vantrel::cli
