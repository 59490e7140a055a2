#pragma once

#include <vector>

#include "product/progress_text.hpp"

namespace pedlik {

// The LOD-score report, as a run and a merge of its parts print it.

// The header of a value's block: the baseline's 0.5 as written, any other
// value with six decimals.
void printValueHeader(bool baseline, double theta, ProgressSink out = {});

// The five result lines of a value whose likelihood is not 0.
void printValueLines(double logLikelihood, double lodScore, ProgressSink out = {});

// The base-10 log-likelihood at 0.5 that LOD scores are measured against,
// and a value's LOD score against it.
double lodBase(double logLikelihoodAtHalf);
double lodScore(double logLikelihood, double base);

bool likelihoodIsZero(double logLikelihood);

// The values of the varied fraction in report order: 0.5, then the file's
// value upward by the increment while below the stop value (at least once),
// stepped by repeated addition as the run steps it; 0.5 alone when the
// file's value is 0.5.
std::vector<double> variedFractionValues(double start);

// How many eliminations one order serves over these values, as the order
// search budgets its time: a value of exactly 0.5 counts as a quarter. There
// a searched order's elimination drops the tie between the loci on either
// side of the varied fraction and solves two smaller problems; on the
// bench's searched cases it took 0.15 to 0.8 of another value's time, about
// a quarter in the middle. Counted whole, it made those runs 6 to 15 %
// slower over eight search seeds.
double eliminationsServed(const std::vector<double>& values);

}  // namespace pedlik
