// The visualizer's per-frame state: once per displayed frame the stage hands it the latest
// spectrum frame, and it turns that into everything the renderers draw (smoothed bands,
// trigger-aligned waves, scrolling history and terrain, band energies, motion phases), with an
// idle pattern blended in whenever nothing plays. Plain numbers, no drawing, main thread only.
#pragma once

#include "ZazidEvoz/playback/SpectrumAnalyzer.hpp"

#include <QObject>
#include <array>
#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <numbers>
#include <span>
#include <string>
#include <vector>

namespace ZintraRadio {

// The newest `Limit` rows, newest first; a push reuses the storage of the row it drops.
template <typename Row, std::size_t Limit> class RecentRows {
public:
    std::size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    const Row& operator[](std::size_t index) const { return slots_[(head_ + index) % Limit]; }

    // The slot of the new front row, holding whatever the reused row held.
    Row& pushFront() {
        head_ = (head_ + Limit - 1) % Limit;
        if (count_ < Limit)
            ++count_;
        return slots_[head_];
    }

private:
    std::array<Row, Limit> slots_{};
    std::size_t head_ = 0;
    std::size_t count_ = 0;
};

class StageFeed final : public QObject {
    Q_OBJECT
public:
    // Frame dates come from a monotonic clock: a wall clock set back would stop the stage.
    using Clock = std::chrono::steady_clock;
    using Date = Clock::time_point;

    struct ScopePoint {
        float x = 0; // left sample
        float y = 0; // right sample
    };
    using ScopeFrame = std::vector<ScopePoint>;
    using TerrainRow = std::array<float, 64>;

    static constexpr std::size_t bandCount = 64;
    static constexpr std::size_t waveLength = 256;
    static constexpr std::size_t historyRowLength = 128;
    static constexpr std::size_t historyRows = 5;
    static constexpr std::size_t historyLength = historyRowLength * historyRows;
    static constexpr std::size_t scopeFrameLimit = 4;
    static constexpr std::size_t terrainRowLimit = 46;
    static constexpr double historyInterval = 1.0 / 30.0;
    static constexpr double terrainInterval = 1.0 / 24.0;

    // Time and phases grow without end; shaders get them modulo this period, and every motion
    // term in the shader bodies repeats on it (angular frequencies are multiples of 1/80), so
    // the wrap is seamless and single-precision arguments stay small after hours.
    static constexpr double shaderPeriod = 160.0 * std::numbers::pi;
    static float wrapped(double phase);

    explicit StageFeed(QObject* parent = nullptr);
    explicit StageFeed(Date start, QObject* parent = nullptr);
    ~StageFeed() override;

    // Advances the state by one display frame. `playing` is true only while the engine plays.
    void update(const ZazidEvoz::AudioFrame& frame, Date date, bool playing);

    // Where the once-a-second "fps:" line goes; set from the environment at construction.
    using FrameRateOutput = std::function<void(const std::string& line)>;
    void setFrameRateOutput(FrameRateOutput output) { frameRateOutput_ = std::move(output); }
    static bool frameRateRequested();

    // Pure helpers of the update, public for their tables of cases.
    static int trigger(std::span<const float> left, std::span<const float> right, int searchEnd);
    static void smooth(std::span<float> wave);
    static float gainFor(float envelope);

    Date start() const { return start_; }
    double time() const { return time_; }
    const std::vector<float>& bands() const { return bands_; }
    const std::vector<float>& peaks() const { return peaks_; }
    const std::vector<float>& waveLeft() const { return waveLeft_; }
    const std::vector<float>& waveRight() const { return waveRight_; }
    const std::vector<float>& waveMono() const { return waveMono_; }
    const std::vector<float>& history() const { return history_; }
    const RecentRows<ScopeFrame, scopeFrameLimit>& scopeFrames() const { return scopeFrames_; }
    const RecentRows<TerrainRow, terrainRowLimit>& terrain() const { return terrain_; }
    float terrainPhase() const { return terrainPhase_; }
    float bass() const { return bass_; }
    float mid() const { return mid_; }
    float treble() const { return treble_; }
    float beat() const { return beat_; }
    float energy() const { return energy_; }
    float brightness() const { return brightness_; }
    float levelLeft() const { return levelLeft_; }
    float levelRight() const { return levelRight_; }
    float correlation() const { return correlation_; }
    double spin() const { return spin_; }
    double flow() const { return flow_; }
    double travel() const { return travel_; }
    float idle() const { return idle_; }
    float gainEnvelope() const { return gainEnvelope_; }

private:
    void takeRawWaves(const ZazidEvoz::AudioFrame& frame);
    void updateIdle(const ZazidEvoz::AudioFrame& frame, bool playing, float dt);
    void updateBands(const ZazidEvoz::AudioFrame& frame, double t);
    float updateGain(float dt);
    void updateWaves(double t, float gain);
    void updateCorrelation(float dt);
    void pushScopeFrame(double t, float gain);
    void pushHistoryRow(float dt);
    void pushTerrainRow(float dt);
    void updateEnergies(const ZazidEvoz::AudioFrame& frame, double t);
    void countFrame(Date date);

    Date start_;
    double time_ = 0;
    std::vector<float> bands_ = std::vector<float>(bandCount, 0.0f);
    std::vector<float> peaks_ = std::vector<float>(bandCount, 0.0f);
    std::vector<float> waveLeft_ = std::vector<float>(waveLength, 0.0f);
    std::vector<float> waveRight_ = std::vector<float>(waveLength, 0.0f);
    std::vector<float> waveMono_ = std::vector<float>(waveLength, 0.0f);
    std::vector<float> history_ = std::vector<float>(historyLength, 0.0f);
    RecentRows<ScopeFrame, scopeFrameLimit> scopeFrames_;
    RecentRows<TerrainRow, terrainRowLimit> terrain_;
    float terrainPhase_ = 0;
    float bass_ = 0;
    float mid_ = 0;
    float treble_ = 0;
    float beat_ = 0;
    float energy_ = 0;
    float brightness_ = 0.5f;
    float levelLeft_ = 0;
    float levelRight_ = 0;
    float correlation_ = 0;
    double spin_ = 0;
    double flow_ = 0;
    double travel_ = 0;
    float idle_ = 1;

    bool hasLastDate_ = false;
    Date lastDate_{};
    float gainEnvelope_ = 0.1f;
    float historyClock_ = 0;
    float terrainClock_ = 0;
    int fpsFrames_ = 0;
    Date fpsSince_;
    FrameRateOutput frameRateOutput_;

    // The frame's waves after cleaning (finite, bounded, equally long, at least two samples).
    std::vector<float> rawLeft_;
    std::vector<float> rawRight_;
    struct ScopeTerms;
    std::unique_ptr<ScopeTerms> scopeTerms_;
};

} // namespace ZintraRadio
