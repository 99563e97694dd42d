// CoinPayment: the one way UI objects pay with the player's coins (the
// global score record's coins total).
#pragma once

namespace CoinPayment {

// False when the coins total is below `compareValue` (compared as floats)
// or the price is negative or not finite (logged); otherwise spends the
// whole part of `price` (total lowered, current lowered to the total, saved
// copy refreshed) and returns true.
bool tryPay(float compareValue, float price);

}  // namespace CoinPayment
