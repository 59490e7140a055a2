#include "input/records.hpp"

namespace pedlik {

void setTheta(ThetaPair& pair, double theta) {
    pair.theta = theta;
    pair.oneMinusTheta = 1.0 - theta;
}

}  // namespace pedlik
