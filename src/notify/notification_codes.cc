// Notification: which placeholders a subject or body may hold.
#include <string>

#include "core/guarded.h"
#include "velmora/base/text.h"
#include "velmora/notify/notification.h"

namespace velmora {
namespace {

// Where a placeholder may stand: in template subjects, and in template bodies of which mode
// (0: any mode) for partners other than -2; e-mails allow none.
struct Placeholder {
  const char* code;
  bool in_subject;
  bool in_body;
  uint8_t body_mode;
};

// In the order the codes list names them.
constexpr Placeholder kPlaceholders[] = {
    {"[%INBOXLINK%]", false, true, 2},    {"[%OUTBOXLINK%]", false, true, 1},
    {"[%ERRORBOXLINK%]", false, true, 1}, {"[%TOLIST%]", false, true, 1},
    {"[%CCLIST%]", false, true, 1},       {"[%DOCID%]", true, true, 0},
    {"[%DOCTYPE%]", true, true, 0},
};

bool Allowed(const Placeholder& placeholder, bool subject, bool is_template, int32_t bp,
             uint8_t mode) {
  if (!is_template) {
    return false;
  }
  if (subject) {
    return placeholder.in_subject;
  }
  return placeholder.body_mode == 0 || (placeholder.body_mode == mode && bp != -2);
}

// CheckSubjectCodes and CheckBodyCodes.
bool CheckCodes(const std::string& text, bool subject, bool is_template, int32_t bp, uint8_t mode,
                std::string& invalid_codes) {
  bool valid = true;
  std::string codes;
  for (const Placeholder& placeholder : kPlaceholders) {
    if (!Allowed(placeholder, subject, is_template, bp, mode) &&
        text::IFind(text, placeholder.code) != std::string::npos) {
      valid = false;
      codes += std::string("'") + placeholder.code + "', ";
    }
  }
  if (!codes.empty()) {
    codes = text::Trim(codes);
    codes.pop_back();
  }
  invalid_codes = codes;
  return valid;
}

}  // namespace

bool Notification::IsValidSubjectForNotificationTemplate(const std::string&, int32_t, uint8_t,
                                                         const std::string& i_sSubject,
                                                         std::string& o_sInvalidCodes) {
  return core::Guarded("Velmora.Notification.IsValidSubjectForNotificationTemplate",
                       [&] { return CheckCodes(i_sSubject, true, true, 0, 0, o_sInvalidCodes); });
}

bool Notification::IsValidBodyForNotificationTemplate(const std::string&, int32_t i_lBPID,
                                                      uint8_t i_yNotificationMode,
                                                      const std::string& i_sBody,
                                                      std::string& o_sInvalidCodes) {
  return core::Guarded("Velmora.Notification.IsValidBodyForNotificationTemplate", [&] {
    return CheckCodes(i_sBody, false, true, i_lBPID, i_yNotificationMode, o_sInvalidCodes);
  });
}

bool Notification::IsValidSubjectForNotificationEmail(const std::string& i_sSubject,
                                                      std::string& o_sInvalidCodes) {
  return core::Guarded("Velmora.Notification.IsValidSubjectForNotificationEmail",
                       [&] { return CheckCodes(i_sSubject, true, false, 0, 0, o_sInvalidCodes); });
}

bool Notification::IsValidBodyForNotificationEmail(const std::string& i_sBody,
                                                   std::string& o_sInvalidCodes) {
  return core::Guarded("Velmora.Notification.IsValidBodyForNotificationEmail",
                       [&] { return CheckCodes(i_sBody, false, false, 0, 0, o_sInvalidCodes); });
}

}  // namespace velmora
