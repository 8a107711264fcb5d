// Cost per call of DGAMDF and DGAMIN over the shapes and probabilities that
// monthly rainfall produces (shape 0.3 to 5, probability 0.01 to 0.99),
// beside Boost.Math's gamma_p and gamma_p_inv on the very same inputs, so
// that the ratio of the two is visible in one run:
//
//   cmake -S . -B build-bench -DRAINCORR_BENCH=ON
//   cmake --build build-bench --target specfun_bench
//   build-bench/bench/specfun_bench
#include <benchmark/benchmark.h>

#include <boost/math/special_functions/gamma.hpp>
#include <cstddef>
#include <random>
#include <vector>

#include "specfun/gamma_dist.h"

namespace {

struct Sample {
  double a;  // shape
  double p;  // probability
  double x;  // the quantile of p, unit scale
};

// A fixed spread of inputs, the same for every benchmark and every run.
const std::vector<Sample>& samples() {
  static const std::vector<Sample> all = [] {
    std::mt19937_64 rng(20240611);
    std::uniform_real_distribution<double> shape(0.3, 5.0);
    std::uniform_real_distribution<double> probability(0.01, 0.99);
    std::vector<Sample> s(4096);
    for (auto& one : s) {
      one.a = shape(rng);
      one.p = probability(rng);
      one.x = boost::math::gamma_p_inv(one.a, one.p);
    }
    return s;
  }();
  return all;
}

template <typename Call>
void run(benchmark::State& state, Call call) {
  const auto& s = samples();
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(call(s[i]));
    if (++i == s.size()) i = 0;
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_DGAMDF(benchmark::State& state) {
  run(state, [](const Sample& s) { return raincorr::DGAMDF(s.x, s.a); });
}
void BM_BoostGammaP(benchmark::State& state) {
  run(state, [](const Sample& s) { return boost::math::gamma_p(s.a, s.x); });
}
void BM_DGAMIN(benchmark::State& state) {
  run(state, [](const Sample& s) { return raincorr::DGAMIN(s.p, s.a); });
}
void BM_BoostGammaPInv(benchmark::State& state) {
  run(state, [](const Sample& s) { return boost::math::gamma_p_inv(s.a, s.p); });
}

BENCHMARK(BM_DGAMDF);
BENCHMARK(BM_BoostGammaP);
BENCHMARK(BM_DGAMIN);
BENCHMARK(BM_BoostGammaPInv);

}  // namespace

BENCHMARK_MAIN();
