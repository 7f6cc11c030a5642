#include "hollet/CxHid.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "hollet/hid_backend.h"

namespace {

bool IsVemraReader(const HidAttributes& attributes)
{
    return attributes.VendorID == CxHid::kVendorId && attributes.ProductID == CxHid::kProductId;
}

// A path that does not fit the 1024-byte name buffers with its terminator.
bool FitsNameBuffer(const std::string& path)
{
    return path.size() < CxHid::kNameSize;
}

}  // namespace

CxHid::CxHid() = default;

CxHid::~CxHid()
{
    CxHid::Close();
}

unsigned long CxHid::FindFirstHidDev()
{
    return SearchFrom(0);
}

unsigned long CxHid::FindNextHidDev(unsigned long index)
{
    return index == kNoDevice ? kNoDevice : SearchFrom(index + 1);
}

unsigned long CxHid::SearchFrom(unsigned long start)
{
    HidBackend& hid = ActiveHidBackend();
    const auto set = hid.GetClassDevs();
    if (!set) return kNoDevice;
    for (unsigned long i = start;; ++i) {
        const HidDeviceSet::Enum found = set->EnumInterface(i);
        if (found == HidDeviceSet::Enum::kNoMoreItems) break;
        if (found == HidDeviceSet::Enum::kFailed) continue;
        std::string path;
        if (!set->GetDetail(i, path)) return kNoDevice;
        // A path too long for the name buffers could not be opened later: such
        // an interface is passed over.
        if (!FitsNameBuffer(path)) continue;
        const PortHandle handle = hid.OpenDevice(path, false);
        if (handle == kInvalidPortHandle) continue;  // not ours to open
        HidAttributes attributes;
        const bool known = hid.GetAttributes(handle, attributes);
        hid.CloseDevice(handle);
        if (!known) return kNoDevice;
        if (IsVemraReader(attributes)) return i;
    }
    return kNoDevice;
}

int CxHid::Open(unsigned long index)
{
    if (IsOpen()) return 1;
    m_nDevIndex = static_cast<std::uint32_t>(index);
    HidBackend& hid = ActiveHidBackend();
    std::string path;
    {
        const auto set = hid.GetClassDevs();
        if (!set) return 0;
        if (set->EnumInterface(index) != HidDeviceSet::Enum::kFound) return 0;
        if (!set->GetDetail(index, path)) return 0;
    }
    if (!FitsNameBuffer(path)) return 0;  // refused rather than cut short
    std::memcpy(m_szDevName, path.c_str(), path.size() + 1);

    const PortHandle handle = hid.OpenDevice(m_szDevName, true);
    if (handle == kInvalidPortHandle) return 0;
    HidAttributes attributes;
    if (!hid.GetAttributes(handle, attributes) || !IsVemraReader(attributes)) {
        hid.CloseDevice(handle);
        return 0;
    }
    m_hFile = handle;
    return 1;
}

int CxHid::GetDevName(char* name)
{
    if (!IsOpen()) return 0;
    std::memcpy(name, m_szDevName, kNameSize);
    return 1;
}

int CxHid::IsOpen()
{
    return m_hFile.load() != kInvalidPortHandle;
}

unsigned long CxHid::Write(void* data, unsigned long length)
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    HidBackend& hid = ActiveHidBackend();
    const auto* bytes = static_cast<const unsigned char*>(data);
    // At least one report goes out, also for a length of 0.
    unsigned long offset = 0;
    do {
        std::memset(m_outReport, 0, sizeof m_outReport);
        const unsigned long chunk = std::min(length - offset, kReportData);
        if (chunk) std::memcpy(m_outReport + 1, bytes + offset, chunk);
        // A closed port has no device: the report fails like a gone one.
        const PortHandle handle = m_hFile.load();
        if (handle == kInvalidPortHandle ||
            !hid.SetOutputReport(handle, m_outReport, kOutputReportSize))
            return 0;
        offset += kReportData;
    } while (offset < length);
    m_replyClock.WriteEnded();
    return length;
}

unsigned long CxHid::Read(void* buffer, unsigned long length)
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    // The whole input buffer is cleared, so that a short report never carries
    // bytes of an earlier, longer one.
    std::memset(m_inReport, 0, sizeof m_inReport);
    // At most 4095 bytes are taken from the buffer, after the report ID.
    const unsigned long count = std::min(length, kInputBufferSize - 1);
    const PortHandle handle = m_hFile.load();
    m_replyClock.ReadBegins();
    const bool fetched = handle != kInvalidPortHandle &&
                         ActiveHidBackend().GetInputReport(handle, m_inReport, count);
    if (fetched) m_replyClock.BytesCame();
    m_replyClock.ReadEnded();
    if (!fetched) return 0;
    std::memcpy(buffer, m_inReport + 1, count);
    return count;
}

int CxHid::SetTimeouts(unsigned long total, unsigned long interval)
{
    m_nTotalTimeout = static_cast<std::uint32_t>(total);
    m_nIntervalTimeout = static_cast<std::uint32_t>(interval);
    return 1;
}

int CxHid::Purge()
{
    return 1;
}

void CxHid::Close()
{
    if (!IsOpen()) return;
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    const PortHandle handle = m_hFile.exchange(kInvalidPortHandle);
    if (handle != kInvalidPortHandle) ActiveHidBackend().CloseDevice(handle);
}
