#pragma once

namespace pedlik {

// The thresholds of elimination and its thread count. The program always
// runs with the default thresholds; tests lower them to reach conditioning
// and rescaling on small problems.
struct EliminationSettings {
    // Threads that eliminate pedigrees, conditioning branches and the
    // shares of large sum-outs side by side; with one, an elimination runs
    // on its calling thread whatever queue it is given. The results and the
    // report are the same for any count.
    int threads = 1;
    // Eliminations predicted to take fewer multiply-adds than this (all
    // pedigrees at one value) run on one thread: starting workers for a few
    // milliseconds of work costs more than they save. Tests lower it to
    // share tiny problems.
    double threadedFrom = 5e7;
    // A variable marked for conditioning is conditioned on, not summed out,
    // once summing it out would build a table of this many entries.
    double conditioningThreshold = 2000000.0;
    // From this many (result entries x multiplied tables) on, sum-outs step
    // their table indexes incrementally.
    double incrementalThreshold = 24.0;
    // Multiplication levels a table may go through before it is rescaled.
    int rescaleCountdown = 32;
};

// The most negative finite double: the log-likelihood that stands for a
// likelihood of 0.
constexpr double impossibleLogLikelihood = -1.7976931348623157e308;

}  // namespace pedlik
