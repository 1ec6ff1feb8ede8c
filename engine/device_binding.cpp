#include "engine/device_binding.h"

#include "platform/message_box.h"
#include "platform/module_loader.h"

namespace gb {

namespace {

constexpr const char* kInitCaption = "Could not init QUARN.DLL";

template <typename Proc> Proc procedure(void* module, const char* name) {
    return reinterpret_cast<Proc>(platform::findSymbol(module, name));
}

void report(const char* text, const char* caption) {
    platform::messageBox(nullptr, text, caption, platform::MbOk);
}

} // namespace

bool resolveDeviceProcedures(void* module, DeviceProcedures& out) {
    DeviceProcedures found;
    found.openDevice = procedure<OpenDeviceProc>(module, "_OpenDevice");
    found.closeDevice = procedure<CloseDeviceProc>(module, "_CloseDevice");
    found.sendQP = procedure<SendQPProc>(module, "_SendQP");
    found.sendPH = procedure<SendPHProc>(module, "_SendPH");
    found.getAnalogs = procedure<GetAnalogsProc>(module, "_GetAnalogs");
    if (!found.complete()) return false;
    out = found;
    return true;
}

DeviceBinding::~DeviceBinding() {
    close();
}

bool DeviceBinding::open(std::int32_t cardNumber) {
    return open(cardNumber, platform::deviceLibraryName());
}

bool DeviceBinding::open(std::int32_t cardNumber, const char* moduleFileName) {
    if (isOpen()) return true;
    platform::ModuleHandle module = platform::loadModule(moduleFileName);
    if (module == nullptr) {
        report("Failure to load QUARNIO.DLL", kInitCaption);
        return false;
    }
    DeviceProcedures procedures;
    if (!resolveDeviceProcedures(module, procedures)) {
        report("Failure loading QUARNIO.DLL procedures", kInitCaption);
        return false;
    }
    return openWith(cardNumber, procedures);
}

bool DeviceBinding::open(std::int32_t cardNumber, const DeviceProcedures& procedures) {
    if (isOpen()) return true;
    if (!procedures.complete()) {
        report("Failure loading QUARNIO.DLL procedures", kInitCaption);
        return false;
    }
    return openWith(cardNumber, procedures);
}

bool DeviceBinding::openWith(std::int32_t cardNumber, const DeviceProcedures& procedures) {
    procedures_ = procedures;
    const int slot = procedures_.openDevice(cardNumber);
    if (slot < 0) {
        report("Error, can't open QUARN device!", "Could not open QUARN");
        return false;
    }
    deviceSlot_ = slot;
    return true;
}

void DeviceBinding::close() {
    if (!isOpen()) return;
    procedures_.closeDevice(deviceSlot_);
    deviceSlot_ = -1;
}

bool DeviceBinding::sendQP(std::int32_t qp) {
    if (!isOpen() || qp < 0) return false;
    procedures_.sendQP(deviceSlot_, qp);
    ++qpCalls_;
    return true;
}

bool DeviceBinding::sendPH(std::int32_t ph, std::int32_t b0, std::int32_t b1, std::int32_t b2,
                           std::int32_t b3) {
    if (!isOpen() || ph < 0 || ph > 255) return false;
    procedures_.sendPH(deviceSlot_, ph, b0 & 0xFF, b1 & 0xFF, b2 & 0xFF, b3 & 0xFF);
    ++phCalls_;
    return true;
}

bool DeviceBinding::sendPHBytes(std::int32_t ph, const std::uint8_t* bytes, std::int32_t count) {
    if (count < 1 || count > 4 || bytes == nullptr) return false;
    std::uint8_t four[4] = {};
    for (std::int32_t i = 0; i < count; ++i)
        four[i] = bytes[i];
    return sendPH(ph, four[0], four[1], four[2], four[3]);
}

bool DeviceBinding::getAnalogs(std::uint8_t* buffer) {
    if (!isOpen() || buffer == nullptr) return false;
    procedures_.getAnalogs(deviceSlot_, buffer);
    return true;
}

} // namespace gb
