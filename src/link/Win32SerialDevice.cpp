#include "Win32SerialDevice.h"

#include "WireTime.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <limits>

namespace {

HANDLE handleOf(void* h) {
    return static_cast<HANDLE>(h);
}

RtsControl rtsFromDcb(DWORD control) {
    switch (control) {
    case RTS_CONTROL_DISABLE:
        return RtsControl::Disable;
    case RTS_CONTROL_TOGGLE:
        return RtsControl::Toggle;
    default:
        return RtsControl::Enable;
    }
}

void setRtsControl(DCB& dcb, RtsControl rts) {
    switch (rts) {
    case RtsControl::Disable:
        dcb.fRtsControl = RTS_CONTROL_DISABLE;
        break;
    case RtsControl::Toggle:
        dcb.fRtsControl = RTS_CONTROL_TOGGLE;
        break; // raised while sending
    case RtsControl::Enable:
        dcb.fRtsControl = RTS_CONTROL_ENABLE;
        break;
    }
}

// On an open handle, access denied is what USB adapter drivers say once the adapter is pulled;
// "not ready" is how Wine reports a vanished device.
bool deviceGone(DWORD code) {
    return code == ERROR_BAD_COMMAND || code == ERROR_DEVICE_NOT_CONNECTED || code == ERROR_GEN_FAILURE ||
           code == ERROR_OPERATION_ABORTED || code == ERROR_INVALID_HANDLE || code == ERROR_ACCESS_DENIED ||
           code == ERROR_NOT_READY;
}

std::int64_t nowUs() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

// Sleep() has a granularity of a millisecond or worse; the last stretch is spent yielding.
void waitUntilUs(std::int64_t deadline) {
    for (std::int64_t left = deadline - nowUs(); left > 0; left = deadline - nowUs())
        Sleep(left > 2000 ? static_cast<DWORD>(left / 1000 - 1) : 0);
}

} // namespace

std::string Win32SerialDevice::errorText(unsigned long code) {
    char* text = nullptr;
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    std::string result = n && text ? std::string(text, n) : "error " + std::to_string(code);
    if (text)
        LocalFree(text);
    while (!result.empty() && (result.back() == '\n' || result.back() == '\r' || result.back() == '.'))
        result.pop_back();
    return result;
}

std::unique_ptr<Win32SerialDevice> Win32SerialDevice::open(const std::string& path,
                                                           unsigned long& errorCode) {
    errorCode = ERROR_SUCCESS;
    const HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE || h == nullptr) {
        errorCode = GetLastError();
        return nullptr;
    }
    COMMPROP props{};
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommProperties(h, &props) || !GetCommState(h, &dcb)) {
        CloseHandle(h);
        errorCode = ERROR_INVALID_FUNCTION;
        return nullptr;
    }
    SetupComm(h, 4096, 1024);

    std::unique_ptr<Win32SerialDevice> device(
        new Win32SerialDevice(h, path, static_cast<ProviderSubtype>(props.dwProvSubType)));
    device->m_settings.baud = dcb.BaudRate;
    device->m_settings.dataBits = dcb.ByteSize;
    device->m_settings.parity = static_cast<Parity>(std::min<BYTE>(dcb.Parity, SPACEPARITY));
    device->m_settings.stopBits = static_cast<StopBits>(std::min<BYTE>(dcb.StopBits, TWOSTOPBITS));
    device->m_settings.rts = rtsFromDcb(dcb.fRtsControl);
    // Until somebody sets time-outs a read must not wait for ever.
    device->setTimeouts(Timeouts{});
    return device;
}

Win32SerialDevice::Win32SerialDevice(void* handle, std::string path, ProviderSubtype subtype)
    : m_handle(handle), m_path(std::move(path)), m_subtype(subtype) {}

Win32SerialDevice::~Win32SerialDevice() {
    if (m_handle)
        CloseHandle(handleOf(m_handle));
}

void Win32SerialDevice::fail(const char* what, unsigned long code) {
    if (!m_handle)
        return; // let go when the port went away; every call fails since, for that reason
    const bool gone = deviceGone(code);
    m_lastReason = LinkReason::transferFailure(m_path, what, gone, errorText(code));
    m_lastError = m_lastReason.english();
    if (gone) {
        // While the handle stays open Windows refuses the re-plugged adapter's port.
        CloseHandle(handleOf(m_handle));
        m_handle = nullptr;
    }
}

std::size_t Win32SerialDevice::read(std::uint8_t* buf, std::size_t max) {
    if (max == 0)
        return 0;
    DWORD got = 0;
    const DWORD ask = static_cast<DWORD>(std::min<std::size_t>(max, std::numeric_limits<DWORD>::max()));
    if (!ReadFile(handleOf(m_handle), buf, ask, &got, nullptr))
        fail("reading", GetLastError());
    else if (got > 0)
        m_lastError.clear();
    return got;
}

std::size_t Win32SerialDevice::write(const std::uint8_t* data, std::size_t count) {
    const std::int64_t start = nowUs();
    std::size_t done = 0;
    while (done < count) {
        DWORD put = 0;
        const DWORD ask =
            static_cast<DWORD>(std::min<std::size_t>(count - done, std::numeric_limits<DWORD>::max()));
        if (!WriteFile(handleOf(m_handle), data + done, ask, &put, nullptr)) {
            fail("writing", GetLastError());
            break;
        }
        if (put == 0)
            break; // write time-out
        done += put;
    }
    // The bytes queue behind what is still on its way out.
    if (done > 0)
        m_wireFreeAtUs = std::max(start, m_wireFreeAtUs) + wireTimeUs(m_settings, done);
    if (done == count)
        m_lastError.clear();
    return done;
}

void Win32SerialDevice::purge(bool rx, bool tx) {
    const DWORD flags = (rx ? PURGE_RXCLEAR : 0) | (tx ? PURGE_TXCLEAR : 0);
    if (flags)
        PurgeComm(handleOf(m_handle), flags);
}

bool Win32SerialDevice::applySettings(const LineSettings& s) {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(handleOf(m_handle), &dcb)) {
        fail("reading the line setting", GetLastError());
        return false;
    }
    dcb.BaudRate = s.baud;
    dcb.ByteSize = s.dataBits;
    dcb.Parity = static_cast<BYTE>(s.parity);     // NOPARITY .. SPACEPARITY in the same order
    dcb.StopBits = static_cast<BYTE>(s.stopBits); // ONESTOPBIT, ONE5STOPBITS, TWOSTOPBITS
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_DISABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fTXContinueOnXoff = TRUE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    setRtsControl(dcb, s.rts);
    dcb.fAbortOnError = FALSE;
    dcb.XonLim = 0;
    dcb.XoffLim = 0;
    // XON/XOFF are off; the two characters still have to differ or some drivers refuse the
    // whole setting.
    dcb.XonChar = 0x11;
    dcb.XoffChar = 0x13;
    dcb.ErrorChar = 0;
    dcb.EofChar = 0;
    dcb.EvtChar = 0;
    if (!SetCommState(handleOf(m_handle), &dcb))
        return false;
    m_settings = s;
    return true;
}

bool Win32SerialDevice::setTimeouts(const Timeouts& t) {
    COMMTIMEOUTS ct{};
    ct.ReadIntervalTimeout = t.readIntervalMs;
    ct.ReadTotalTimeoutMultiplier = t.readTotalMultiplierMs;
    ct.ReadTotalTimeoutConstant = t.readTotalConstantMs;
    ct.WriteTotalTimeoutMultiplier = t.writeTotalMultiplierMs;
    ct.WriteTotalTimeoutConstant = t.writeTotalConstantMs;
    // All zero would make Windows wait for the whole request; here it means "what is there".
    if (t.readIntervalMs == 0 && t.readTotalMultiplierMs == 0 && t.readTotalConstantMs == 0)
        ct.ReadIntervalTimeout = MAXDWORD;
    if (!SetCommTimeouts(handleOf(m_handle), &ct))
        return false;
    m_timeouts = t;
    return true;
}

void Win32SerialDevice::setRts(bool on) {
    // Refused by the driver in toggle mode, where RTS belongs to the transmitter.
    EscapeCommFunction(handleOf(m_handle), on ? SETRTS : CLRRTS);
}

void Win32SerialDevice::setDtr(bool on) {
    EscapeCommFunction(handleOf(m_handle), on ? SETDTR : CLRDTR);
}

void Win32SerialDevice::waitTransmitEmpty() {
    // The flush returns when the driver has handed the bytes on, which for a UART with a FIFO
    // or a USB adapter is before they have left the line: their time on the wire, counted
    // from the write, and one character more are waited for as well.
    if (!FlushFileBuffers(handleOf(m_handle))) {
        fail("waiting for the transmitter", GetLastError());
        return;
    }
    waitUntilUs(m_wireFreeAtUs + wireTimeUs(m_settings, 1));
}

bool Win32SerialDevice::setParity(Parity parity) {
    if (parity == m_settings.parity)
        return true;
    // Only the parity changes; with the modem-line modes as they were the driver leaves
    // DTR and RTS alone.
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(handleOf(m_handle), &dcb)) {
        fail("reading the line setting", GetLastError());
        return false;
    }
    dcb.Parity = static_cast<BYTE>(parity);
    if (!SetCommState(handleOf(m_handle), &dcb))
        return false;
    m_settings.parity = parity;
    return true;
}

std::uint8_t Win32SerialDevice::takeLineErrors() {
    DWORD errors = 0;
    COMSTAT stat{};
    if (!ClearCommError(handleOf(m_handle), &errors, &stat))
        return 0;
    std::uint8_t mask = 0;
    if (errors & CE_RXPARITY)
        mask |= LineError::Parity;
    if (errors & CE_FRAME)
        mask |= LineError::Framing;
    if (errors & (CE_OVERRUN | CE_RXOVER))
        mask |= LineError::Overrun;
    if (errors & CE_BREAK)
        mask |= LineError::Break;
    return mask;
}
