#include "player/ui/CoinPayment.h"

#include <cmath>

#include "model/core/QVNumeric.h"
#include "platform/QVLog.h"
#include "player/app/ScoreTable.h"

namespace CoinPayment {

bool tryPay(float compareValue, float price) {
    if (!std::isfinite(price) || price < 0.0f) {
        logMessage("[CoinPayment] invalid price %f", static_cast<double>(price));
        return false;
    }
    ScoreCounter<int32_t>& coins = scoreRecord("").coins;
    // A NaN compare value refuses too.
    if (!(static_cast<float>(coins.total) >= compareValue)) return false;
    coins.spend(truncToInt(price));
    return true;
}

}  // namespace CoinPayment
