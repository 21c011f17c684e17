// The four-stock, ten-day history whose screening values are worked out by hand (Screening
// values test) and whose levels the stock screening's tests rely on.
#pragma once

namespace vel::testing {

// Ten days of four stocks, volumes constant per stock:
//   stock 1: 10, 11, ..., 19 (rising 1 a day), volume 100
//   stock 2: 20 every day, volume 200
//   stock 3: 30, 29, ..., 21 (falling 1 a day), volume 300
//   stock 4: 20 on odd days, 10 on even days, volume 400
inline float HandPrice(long i, long d) {
    switch (i) {
        case 1:
            return static_cast<float>(9 + d);
        case 2:
            return 20.0f;
        case 3:
            return static_cast<float>(31 - d);
        default:
            return d % 2 ? 20.0f : 10.0f;
    }
}
inline float HandVolume(long i, long) {
    return 100.0f * static_cast<float>(i);
}

}  // namespace vel::testing
