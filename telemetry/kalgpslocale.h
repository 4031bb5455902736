// Text of the camera and of our lines always uses "." as decimal point, whatever locale the
// host program has set (a Qt application sets the user's locale at start-up).
#pragma once

#include <locale.h>

class KalCLocaleScope {
public:
    KalCLocaleScope()
    {
        static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
        if (c)
            previous_ = uselocale(c);
    }
    ~KalCLocaleScope()
    {
        if (previous_)
            uselocale(previous_);
    }
    KalCLocaleScope(const KalCLocaleScope&) = delete;
    KalCLocaleScope& operator=(const KalCLocaleScope&) = delete;

private:
    locale_t previous_ = static_cast<locale_t>(nullptr);
};
