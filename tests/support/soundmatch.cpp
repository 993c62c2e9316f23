#include "soundmatch.h"

#include "wav.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <vector>

#include <fftw3.h>

namespace {

using Spectrum = std::vector<std::complex<double>>;

// The spectrum of the samples, zero-padded to size.
Spectrum spectrum(const float *samples, int count, int size)
{
    std::vector<double> padded(size);
    std::copy(samples, samples + count, padded.begin());
    Spectrum bins(size / 2 + 1);
    const fftw_plan plan = fftw_plan_dft_r2c_1d(
        size, padded.data(), reinterpret_cast<fftw_complex *>(bins.data()), FFTW_ESTIMATE);
    fftw_execute(plan);
    fftw_destroy_plan(plan);
    return bins;
}

// The inverse of spectrum(), times size; overwrites the bins.
std::vector<double> samples(Spectrum &bins, int size)
{
    std::vector<double> result(size);
    const fftw_plan plan = fftw_plan_dft_c2r_1d(size, reinterpret_cast<fftw_complex *>(bins.data()),
                                                result.data(), FFTW_ESTIMATE);
    fftw_execute(plan);
    fftw_destroy_plan(plan);
    return result;
}

} // namespace

QVector<float> SoundMatch::readWav(const QString &path, int *sampleRate)
{
    Wav wav;
    if (!wav.read(path))
        return {};
    *sampleRate = wav.sampleRate;
    QVector<float> samples(wav.samples.size() / wav.channels);
    for (int i = 0; i < samples.size(); ++i) {
        float sum = 0.0f;
        for (int c = 0; c < wav.channels; ++c)
            sum += wav.samples[i * wav.channels + c];
        samples[i] = sum / (32768.0f * wav.channels);
    }
    return samples;
}

bool SoundMatch::writeWav(const QString &path, const QVector<float> &samples, int sampleRate)
{
    Wav wav = { sampleRate, 1, QVector<qint16>(samples.size()) };
    for (int i = 0; i < samples.size(); ++i)
        wav.samples[i] = qint16(std::clamp(samples[i], -1.0f, 1.0f) * 32767);
    return wav.write(path);
}

SoundMatch::SoundMatch(const QVector<float> &reference, const QVector<float> &recording,
                       int sampleRate, int stretchLength)
    : reference(reference)
    , recording(recording)
    , sampleRate(sampleRate)
    , stretchLength(stretchLength)
{
}

double SoundMatch::stretchSeconds() const
{
    return double(stretchLength) / sampleRate;
}

SoundMatch::Match SoundMatch::find(double recordingSeconds, double referenceFrom,
                                   double referenceTo) const
{
    Match match;
    const int start = int(recordingSeconds * sampleRate);
    const int first = std::max(0, int(referenceFrom * sampleRate));
    const int last = std::min(int(referenceTo * sampleRate), int(reference.size()) - stretchLength);
    if (start < 0 || start + stretchLength > recording.size() || last < first)
        return match;

    const float *stretch = recording.constData() + start;
    const float *candidates = reference.constData() + first;
    const int span = last - first + stretchLength;
    int size = 1;
    while (size < span)
        size <<= 1;

    // Cross-correlation of the stretch with every position of the span:
    // sum over i of stretch[i] * candidates[lag + i].
    const Spectrum lhs = spectrum(stretch, stretchLength, size);
    Spectrum rhs = spectrum(candidates, span, size);
    for (size_t i = 0; i < rhs.size(); ++i)
        rhs[i] *= std::conj(lhs[i]);
    const std::vector<double> correlations = samples(rhs, size);

    double stretchEnergy = 0.0;
    for (int i = 0; i < stretchLength; ++i)
        stretchEnergy += double(stretch[i]) * stretch[i];
    match.rms = std::sqrt(stretchEnergy / stretchLength);

    // Energy of the reference under the stretch, slid along the lags.
    double windowEnergy = 0.0;
    for (int i = 0; i < stretchLength; ++i)
        windowEnergy += double(candidates[i]) * candidates[i];
    for (int lag = 0; lag <= last - first; ++lag) {
        const double denominator = std::sqrt(stretchEnergy * windowEnergy);
        const double correlation = denominator > 0.0 ? correlations[lag] / size / denominator : 0.0;
        if (correlation > match.correlation) {
            match.correlation = correlation;
            match.referenceSeconds = double(first + lag) / sampleRate;
        }
        if (lag < last - first) {
            const double leaving = candidates[lag];
            const double entering = candidates[lag + stretchLength];
            windowEnergy += entering * entering - leaving * leaving;
        }
    }
    return match;
}
