#pragma once
// The gate configuration, "setting.json" in the save folder: overrides of the
// gate addresses and key, the content mirrors, the analytics endpoint, the
// activity page and the polling periods, placed there by a publisher or a
// tester. The launcher never writes it.

#include <cstdint>
#include <string>
#include <vector>

#include <json/value.h>

struct GateConfig {
  std::string GateKey;
  std::vector<std::string> GateURLs;
  bool QaGate = false;
  bool DisableAutoEnterGame = false;
  std::vector<std::string> DlcURLs;
  std::string ActivityURL;
  int32_t RefreshInterval = 0;
  int32_t UpdateInterval = 0;
  std::string TrackURL;

  bool operator==(const GateConfig&) const = default;
};

// Fills |config| from the members of |root| that are present and not null,
// converted as the JSON library converts them (numbers and booleans to text,
// booleans and reals to integers, numbers to flags). A member that has no
// such conversion (an object or array where a scalar is expected, text where
// a number or a flag is expected, a number outside 32 bits) leaves its field
// as it was. The two lists append.
void GateConfigFromJson(const Json::Value& root, GateConfig* config);

// Minutes between refreshes of the main window's pages: RefreshInterval when
// it is 1 to 99, else 480.
int32_t EffectiveRefreshMinutes(const GateConfig& config);
// Minutes between launcher re-checks while idle: UpdateInterval when it is 1
// to 99, else 720.
int32_t EffectiveUpdateMinutes(const GateConfig& config);
// Minutes between pre-download polls: UpdateInterval + 1 when UpdateInterval
// is 1 to 99, else 31.
int32_t EffectivePreDownloadPollMinutes(const GateConfig& config);

// The JSON library's ordinary conversions, refusing instead of failing where
// a value has no conversion.
bool JsonValueToText(const Json::Value& value, std::string* text);
bool JsonValueToInt32(const Json::Value& value, int32_t* number);
bool JsonValueToFlag(const Json::Value& value, bool* flag);
// Server addresses given as one text or an array of texts; elements that are
// no text, and empty texts, are skipped. False when none is left.
bool ServerTexts(const Json::Value& value, std::vector<std::string>* servers);
