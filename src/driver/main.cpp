#include "driver/main_sequence.hpp"

int main(int argc, char** argv) {
    const char* locusPath = argc > 1 ? argv[1] : "datafile3.dat";
    const char* pedigreePath = argc > 2 ? argv[2] : "pedfile3.dat";
    return pedlik::runMainSequence(locusPath, pedigreePath);
}
