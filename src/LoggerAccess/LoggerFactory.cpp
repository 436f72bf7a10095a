#include "LoggerAccess/LoggerFactory.h"

#include <utility>

namespace kelvo {

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

}  // namespace kelvo
