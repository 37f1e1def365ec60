// &date(), &time(), &now(): the date and time at which the page is shown, in local time.
//
// One source for three libraries; DATETIME_KIND_DATE, _TIME or _NOW chooses which. The
// values are those of the moment of conversion: an exported page keeps the time of export.
#include "TarnelPlugin.h"

#include <cstdio>
#include <ctime>

using namespace tarnel::plugin;

namespace {

#if defined(DATETIME_KIND_DATE)
constexpr const char16_t* kName = u"date";
constexpr const char16_t* kSyntax = u"&date()";
constexpr const char16_t* kDescription = u"表示した日の日付を 2024-01-31 の形で書きます。"
                                         u"引数は使いません。";
constexpr const char16_t* kExample = u"更新日 &date()";
#elif defined(DATETIME_KIND_TIME)
constexpr const char16_t* kName = u"time";
constexpr const char16_t* kSyntax = u"&time()";
constexpr const char16_t* kDescription = u"表示した時刻を 09:05:30 の形で書きます。"
                                         u"引数は使いません。";
constexpr const char16_t* kExample = u"現在 &time()";
#elif defined(DATETIME_KIND_NOW)
constexpr const char16_t* kName = u"now";
constexpr const char16_t* kSyntax = u"&now()";
constexpr const char16_t* kDescription = u"表示した日時を 2024-01-31 (水) 09:05:30 の形で"
                                         u"書きます。引数は使いません。";
constexpr const char16_t* kExample = u"最終確認 &now()";
#else
#error "define DATETIME_KIND_DATE, DATETIME_KIND_TIME or DATETIME_KIND_NOW"
#endif

std::u16string Format(const std::tm& t) {
    char date[32];
    char time[32];
    std::snprintf(date, sizeof date, "%04d-%02d-%02d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday);
    std::snprintf(time, sizeof time, "%02d:%02d:%02d", t.tm_hour, t.tm_min, t.tm_sec);
#if defined(DATETIME_KIND_DATE)
    return Utf8ToUtf16(date);
#elif defined(DATETIME_KIND_TIME)
    return Utf8ToUtf16(time);
#else
    static constexpr char16_t kWeekdays[] = u"日月火水木金土";
    int weekday = t.tm_wday >= 0 && t.tm_wday < 7 ? t.tm_wday : 0;
    return Utf8ToUtf16(date) + u" (" + kWeekdays[weekday] + u") " + Utf8ToUtf16(time);
#endif
}

} // namespace

int32_t GetPluginType(void) {
    return TARNEL_PLUGIN_TYPE_INLINE;
}
char16_t* GetName(void) {
    return NewString(kName);
}
char16_t* GetVersion(void) {
    return NewString(u"1.0");
}
char16_t* GetAuthor(void) {
    return NewString(u"Tarnel");
}
char16_t* GetSyntax(void) {
    return NewString(kSyntax);
}
char16_t* GetDescription(void) {
    return NewString(kDescription);
}
char16_t* GetExample(void) {
    return NewString(kExample);
}

char16_t* PluginInline(const char*, const char*, const char*, const char*, const char*, const char*,
                       const char*) {
    return Guard([] {
        std::time_t now = std::time(nullptr);
        std::tm local{};
        if (localtime_r(&now, &local) == nullptr) return NewString(u"");
        return NewString(Format(local));
    });
}
