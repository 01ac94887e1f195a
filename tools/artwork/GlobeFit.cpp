#include "tools/artwork/GlobeFit.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ostream>
#include <vector>

#include "tools/artwork/GlobeLibrary.h"

namespace skyroll::artwork {

namespace {

constexpr int kViewParameters = 3;

// Points spread evenly over the sphere (a Fibonacci lattice), where the
// displacement bound is checked during the fit.
std::vector<Vec3> spherePoints(int count) {
    std::vector<Vec3> points;
    const double golden = kPi * (3.0 - std::sqrt(5.0));
    for (int i = 0; i < count; ++i) {
        const double y = 1.0 - 2.0 * (i + 0.5) / count;
        const double r = std::sqrt(1.0 - y * y);
        points.push_back({r * std::sin(golden * i), y, r * std::cos(golden * i)});
    }
    return points;
}

FitResult unpack(const std::vector<double>& x) {
    GlobeView view;
    view.frontLongitude = x[0];
    view.tiltDegrees = x[1];
    view.rollDegrees = x[2];
    return {view, GlobeWarp(std::vector<double>(x.begin() + kViewParameters, x.end()))};
}

class Problem {
public:
    Problem(const FitSettings& settings) : m_settings(settings), m_grid(spherePoints(3000)) {}

    std::vector<double> residuals(const std::vector<double>& x) const {
        const FitResult fit = unpack(x);
        std::vector<double> r;
        for (const CityError& e : cityErrors(fit.view, fit.warp)) {
            // New York and Vancouver cannot come near their pictures on a globe
            // that turns one way; they only pull weakly, so they do not drag
            // Washington and the west coast with them.
            const bool outlier = e.name == "New York" || e.name == "Vancouver";
            const double scalePx = outlier ? m_settings.outlierScalePx : m_settings.robustScalePx;
            const double s2 = scalePx * scalePx;
            const double dx = e.x - e.targetX, dy = e.y - e.targetY;
            const double d2 = dx * dx + dy * dy + 1e-12;
            // Soft L1: the two residuals carry rho(d^2) = 2 s^2 (sqrt(1 + d^2/s^2) - 1).
            const double scale = std::sqrt(2.0 * s2 * (std::sqrt(1.0 + d2 / s2) - 1.0) / d2);
            r.push_back(scale * dx);
            r.push_back(scale * dy);
            // Beyond the cap each further pixel costs much more, so no city but
            // the two above is left far off to bring the others a little closer.
            const double beyond = std::sqrt(d2) - m_settings.capPx;
            r.push_back(!outlier && beyond > 0 ? m_settings.capPenalty * beyond : 0.0);
            // A city behind the globe on its own frame is pulled to the front hard.
            r.push_back(e.depth < 0.15 ? 200.0 * (0.15 - e.depth) : 0.0);
        }
        const std::vector<double>& w = fit.warp.weights();
        for (std::size_t i = 0; i < w.size(); ++i)
            r.push_back(w[i] * ((i / 2) % 2 == 0 ? m_settings.narrowRidge : m_settings.wideRidge));
        const double h = 1e-4;
        for (const Vec3& p : m_grid) {
            const double over = fit.warp.displacementDegrees(p) - m_settings.displacementLimit;
            r.push_back(over > 0 ? m_settings.displacementPenalty * over : 0.0);
            const Vec3 helper = std::fabs(p.y) < 0.9 ? Vec3{0, 1, 0} : Vec3{1, 0, 0};
            const Vec3 u = cross(p, helper).normalised();
            const Vec3 v = cross(p, u);
            const Vec3 f = fit.warp.forward(p);
            const Vec3 fu = fit.warp.forward((p + h * u).normalised()) - f;
            const Vec3 fv = fit.warp.forward((p + h * v).normalised()) - f;
            const double ratio = std::max(dot(cross(fu, fv), f) / (h * h), 1e-3);
            const double outside = ratio < m_settings.minAreaRatio ? std::log(m_settings.minAreaRatio / ratio)
                                   : ratio > m_settings.maxAreaRatio
                                       ? std::log(ratio / m_settings.maxAreaRatio)
                                       : 0.0;
            r.push_back(m_settings.areaPenalty * outside);
        }
        return r;
    }

private:
    const FitSettings& m_settings;
    std::vector<Vec3> m_grid;
};

double sumOfSquares(const std::vector<double>& r) {
    double s = 0;
    for (double v : r) s += v * v;
    return s;
}

// Solves A d = b for a symmetric positive definite A (Cholesky).
std::vector<double> solve(std::vector<double> a, std::vector<double> b, int n) {
    for (int j = 0; j < n; ++j) {
        double d = a[j * n + j];
        for (int k = 0; k < j; ++k) d -= a[j * n + k] * a[j * n + k];
        d = std::sqrt(std::max(d, 1e-18));
        a[j * n + j] = d;
        for (int i = j + 1; i < n; ++i) {
            double s = a[i * n + j];
            for (int k = 0; k < j; ++k) s -= a[i * n + k] * a[j * n + k];
            a[i * n + j] = s / d;
        }
    }
    for (int i = 0; i < n; ++i) {
        for (int k = 0; k < i; ++k) b[i] -= a[i * n + k] * b[k];
        b[i] /= a[i * n + i];
    }
    for (int i = n - 1; i >= 0; --i) {
        for (int k = i + 1; k < n; ++k) b[i] -= a[k * n + i] * b[k];
        b[i] /= a[i * n + i];
    }
    return b;
}

}  // namespace

FitResult fitGlobe(const FitSettings& settings, std::ostream& log) {
    const Problem problem(settings);
    const int n = kViewParameters + GlobeWarp::kWeightCount;
    std::vector<double> x(static_cast<std::size_t>(n), 0.0);
    x[0] = -0.8;
    x[1] = 2.5;
    std::vector<double> r = problem.residuals(x);
    double cost = sumOfSquares(r);
    double damping = 1e-2;
    for (int iteration = 0; iteration < settings.iterations; ++iteration) {
        const std::size_t m = r.size();
        std::vector<double> jac(m * static_cast<std::size_t>(n));
        for (int j = 0; j < n; ++j) {
            std::vector<double> xp = x;
            const double h = 1e-4;
            xp[static_cast<std::size_t>(j)] += h;
            const std::vector<double> rp = problem.residuals(xp);
            for (std::size_t i = 0; i < m; ++i) jac[i * n + j] = (rp[i] - r[i]) / h;
        }
        std::vector<double> jtj(static_cast<std::size_t>(n * n), 0.0), jtr(static_cast<std::size_t>(n), 0.0);
        for (std::size_t i = 0; i < m; ++i) {
            const double* row = &jac[i * n];
            if (std::none_of(row, row + n, [](double v) { return v != 0.0; })) continue;
            for (int a = 0; a < n; ++a) {
                if (row[a] == 0.0) continue;
                jtr[a] -= row[a] * r[i];
                for (int b = 0; b < n; ++b) jtj[a * n + b] += row[a] * row[b];
            }
        }
        bool improved = false;
        for (int attempt = 0; attempt < 12 && !improved; ++attempt) {
            std::vector<double> damped = jtj;
            for (int a = 0; a < n; ++a) damped[a * n + a] += damping * (jtj[a * n + a] + 1e-6);
            const std::vector<double> step = solve(damped, jtr, n);
            std::vector<double> trial = x;
            for (int a = 0; a < n; ++a) trial[a] += step[a];
            const std::vector<double> rt = problem.residuals(trial);
            const double trialCost = sumOfSquares(rt);
            if (trialCost < cost) {
                x = trial;
                r = rt;
                cost = trialCost;
                damping = std::max(damping / 3.0, 1e-7);
                improved = true;
            } else {
                damping *= 4.0;
            }
        }
        const FitResult fit = unpack(x);
        const std::vector<CityError> errors = cityErrors(fit.view, fit.warp);
        log << "iteration " << iteration << " cost " << cost << " median " << medianDistance(errors) << '\n';
        if (!improved) break;
    }
    return unpack(x);
}

void printFittedSource(std::ostream& out, const FitResult& result) {
    char line[200];
    std::snprintf(line, sizeof line,
                  "    view.frontLongitude = %.6f;\n    view.tiltDegrees = %.6f;\n"
                  "    view.rollDegrees = %.6f;\n",
                  result.view.frontLongitude, result.view.tiltDegrees, result.view.rollDegrees);
    out << line << "    // East and north pushes in degrees, per city (tour order) and width (12, 30).\n";
    const std::vector<double>& w = result.warp.weights();
    for (std::size_t i = 0; i < w.size(); i += 4) {
        std::snprintf(line, sizeof line, "    %.6f, %.6f, %.6f, %.6f,\n", w[i], w[i + 1], w[i + 2], w[i + 3]);
        out << line;
    }
}

}  // namespace skyroll::artwork
