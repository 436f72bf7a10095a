#include "LoggerAccess/LoggerFactory.h"

#include <algorithm>
#include <utility>

#include "base/Text.h"

namespace kelvo {

bool LoggerDescriptor::hasNativeExtension(std::string_view extension) const {
    if (extension.starts_with('.')) extension.remove_prefix(1);
    const std::string wanted = toUpperAscii(extension);
    return toUpperAscii(nativeExtension) == wanted ||
           std::ranges::any_of(otherNativeExtensions, [&wanted](const std::string& other) {
               return toUpperAscii(other) == wanted;
           });
}

LoggerFactory& LoggerFactory::shared() {
    static LoggerFactory factory;
    return factory;
}

void LoggerFactory::registerLogger(LoggerDescriptor descriptor) {
    std::string name = descriptor.name;
    m_registeredLoggers.insert_or_assign(std::move(name), std::move(descriptor));
}

std::vector<std::string> LoggerFactory::registeredLoggers() const {
    std::vector<std::string> names;
    names.reserve(m_registeredLoggers.size());
    for (const auto& [name, descriptor] : m_registeredLoggers) names.push_back(name);
    return names;
}

const LoggerDescriptor* LoggerFactory::loggerClassWithName(const std::string& name) const {
    const auto found = m_registeredLoggers.find(name);
    return found == m_registeredLoggers.end() ? nullptr : &found->second;
}

std::unique_ptr<Logger> LoggerFactory::loggerInstanceWithName(const std::string& name) const {
    const LoggerDescriptor* descriptor = loggerClassWithName(name);
    if (descriptor == nullptr || !descriptor->create) return nullptr;
    return descriptor->create();
}

const LoggerDescriptor* LoggerFactory::loggerClassConvertingExtension(
    std::string_view extension) const {
    for (const auto& [name, descriptor] : m_registeredLoggers) {
        if (descriptor.nativeToIGC && descriptor.hasNativeExtension(extension)) return &descriptor;
    }
    return nullptr;
}

std::string LoggerFactory::igcTextOfFlight(ByteSpan flight, std::string_view extension) const {
    const LoggerDescriptor* family = loggerClassConvertingExtension(extension);
    if (!family) return std::string(flight.begin(), flight.end());
    return family->nativeToIGC(flight).igc;
}

}  // namespace kelvo
