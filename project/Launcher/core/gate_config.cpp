#include "project/Launcher/core/gate_config.h"

#include <cmath>
#include <limits>

bool JsonValueToText(const Json::Value& value, std::string* text) {
  switch (value.type()) {
    case Json::stringValue:
    case Json::intValue:
    case Json::uintValue:
    case Json::realValue:
    case Json::booleanValue:
      *text = value.asString();
      return true;
    default:
      return false;
  }
}

bool JsonValueToInt32(const Json::Value& value, int32_t* number) {
  switch (value.type()) {
    case Json::booleanValue:
      *number = value.asBool() ? 1 : 0;
      return true;
    case Json::intValue:
    case Json::uintValue:
      if (!value.isInt()) return false;
      *number = value.asInt();
      return true;
    case Json::realValue: {
      double real = value.asDouble();
      if (!std::isfinite(real) || real < std::numeric_limits<int32_t>::min() ||
          real > std::numeric_limits<int32_t>::max()) {
        return false;
      }
      *number = static_cast<int32_t>(real);  // truncates toward zero
      return true;
    }
    default:
      return false;
  }
}

bool JsonValueToFlag(const Json::Value& value, bool* flag) {
  switch (value.type()) {
    case Json::booleanValue:
    case Json::intValue:
    case Json::uintValue:
    case Json::realValue:
      *flag = value.asBool();
      return true;
    default:
      return false;
  }
}

namespace {

void AppendTextList(const Json::Value& value, std::vector<std::string>* list) {
  std::string text;
  if (!value.isArray()) {
    if (JsonValueToText(value, &text)) list->push_back(text);
    return;
  }
  for (const Json::Value& element : value) {
    if (!element.isNull() && JsonValueToText(element, &text)) list->push_back(text);
  }
}

bool IsUsableInterval(int32_t minutes) { return minutes >= 1 && minutes <= 99; }

}  // namespace

void GateConfigFromJson(const Json::Value& root, GateConfig* config) {
  if (!root.isObject()) return;
  auto member = [&root](const char* key) -> const Json::Value* {
    const Json::Value* value = root.find(key, key + std::char_traits<char>::length(key));
    return value != nullptr && !value->isNull() ? value : nullptr;
  };
  if (const Json::Value* v = member("GateKey")) JsonValueToText(*v, &config->GateKey);
  if (const Json::Value* v = member("GateURLs")) AppendTextList(*v, &config->GateURLs);
  if (const Json::Value* v = member("QaGate")) JsonValueToFlag(*v, &config->QaGate);
  if (const Json::Value* v = member("DlcURLs")) AppendTextList(*v, &config->DlcURLs);
  if (const Json::Value* v = member("ActivityURL")) JsonValueToText(*v, &config->ActivityURL);
  if (const Json::Value* v = member("RefreshInterval")) {
    JsonValueToInt32(*v, &config->RefreshInterval);
  }
  if (const Json::Value* v = member("UpdateInterval")) {
    JsonValueToInt32(*v, &config->UpdateInterval);
  }
  if (const Json::Value* v = member("TrackURL")) JsonValueToText(*v, &config->TrackURL);
  if (const Json::Value* v = member("DisableAutoEnterGame")) {
    JsonValueToFlag(*v, &config->DisableAutoEnterGame);
  }
}

int32_t EffectiveRefreshMinutes(const GateConfig& config) {
  return IsUsableInterval(config.RefreshInterval) ? config.RefreshInterval : 480;
}

int32_t EffectiveUpdateMinutes(const GateConfig& config) {
  return IsUsableInterval(config.UpdateInterval) ? config.UpdateInterval : 720;
}

int32_t EffectivePreDownloadPollMinutes(const GateConfig& config) {
  return IsUsableInterval(config.UpdateInterval) ? config.UpdateInterval + 1 : 31;
}

bool ServerTexts(const Json::Value& value, std::vector<std::string>* servers) {
  servers->clear();
  std::string text;
  if (value.isArray()) {
    for (const Json::Value& element : value) {
      if (JsonValueToText(element, &text) && !text.empty()) servers->push_back(text);
    }
  } else if (JsonValueToText(value, &text) && !text.empty()) {
    servers->push_back(text);
  }
  return !servers->empty();
}
