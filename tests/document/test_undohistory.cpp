// The undo history over a film strip: random edits with undos and redos interleaved, checked
// against a plain model that keeps every state of the strip; merging of applies and the clean state.
// Units carry durations of their own, and some applies change them.
#include "filmpanel.h"
#include "undohistory.h"
#include "unitclipboard.h"

#include <QHash>

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <tuple>
#include <vector>

using namespace quillet;

namespace {

// What a unit holds, with its identity: equal fingerprints mean equal records and fields.
using Fingerprint =
    std::tuple<std::uint64_t, std::size_t, QString, int, int, TColor, TColor, int, bool, int, int, TColor, int>;

Fingerprint fingerprintOf(const TAnsiImage& u) {
    // A unit's revision grows with every change, so a grid hashed once for an (id, revision) pair
    // stays right: only changed units are hashed again.
    static std::map<std::pair<std::uint64_t, std::uint64_t>, std::size_t> hashes;
    auto [it, added] = hashes.try_emplace({u.id(), u.revision()}, 0);
    if (added) it->second = qHashBits(u.grid().data(), kRecordSize, 7);
    return {u.id(),       it->second,   u.fileName(), u.cols(),   u.rows(),      u.backColor(), u.fontColor(),
            u.byteMode(), u.hasColor(), u.width(),    u.height(), u.pageColor(), u.duration()};
}

using State = std::vector<Fingerprint>;

State stateOf(const TFilmPanel& strip) {
    State state;
    for (int k = 0; k < strip.count(); ++k)
        state.push_back(fingerprintOf(strip.GetUnit(k)));
    return state;
}

std::vector<QByteArray> recordsOf(const TFilmPanel& strip) {
    std::vector<QByteArray> records;
    for (int k = 0; k < strip.count(); ++k)
        records.push_back(strip.GetUnit(k).SaveToRecord());
    return records;
}

// The strip's own layout rules: units 20 pixels apart from the top, tags in order, the current
// unit the only selected one.
void expectLayout(const TFilmPanel& strip) {
    int top = 20;
    for (int k = 0; k < strip.count(); ++k) {
        const TAnsiImage& unit = strip.GetUnit(k);
        ASSERT_EQ(unit.geometry(), QRect(20, top, unit.width(), unit.height())) << k;
        ASSERT_EQ(unit.tag(), k);
        ASSERT_EQ(unit.selected(), k == strip.currentIndex()) << k;
        top += unit.height() + 20;
    }
    ASSERT_TRUE(strip.height() == top - 20 || strip.height() == top - 19) << strip.height() << " for " << top;
}

// The units in the order a view that follows only the strip's signals believes them to be.
struct MirrorView {
    explicit MirrorView(TFilmPanel& strip) {
        for (int k = 0; k < strip.count(); ++k)
            ids.push_back(strip.GetUnit(k).id());
        QObject::connect(&strip, &TFilmPanel::unitsInserted, [this, &strip](int first, int count) {
            for (int k = 0; k < count; ++k)
                ids.insert(ids.begin() + first + k, strip.GetUnit(first + k).id());
        });
        QObject::connect(&strip, &TFilmPanel::unitsRemoved,
                         [this](int first, int count) { ids.erase(ids.begin() + first, ids.begin() + first + count); });
        QObject::connect(&strip, &TFilmPanel::unitMoved, [this](int from, int to) { std::swap(ids[from], ids[to]); });
    }
    std::vector<std::uint64_t> ids;
};

// One step as the model knows it: the current unit after its redo and after its undo (kKeep: as
// before), and for applies the unit and time that decide merging; an apply that changed the
// duration takes no later apply in.
constexpr int kKeep = -2;
struct Step {
    int redoCurrent;
    int undoCurrent;
    int contentIndex = -1;
    std::int64_t lastMs = 0;
    bool mergeable = true;
};

// None, the limits or something between.
std::int32_t randomDuration(std::mt19937& rng) {
    switch (rng() % 4) {
    case 0:
        return 0;
    case 1:
        return rng() % 2 ? kMinUnitDuration : kMaxUnitDuration;
    default:
        return std::uniform_int_distribution<std::int32_t>(kMinUnitDuration, kMaxUnitDuration)(rng);
    }
}

QList<QByteArray> randomLines(std::mt19937& rng) {
    QList<QByteArray> lines;
    const int n = std::uniform_int_distribution<int>(0, 12)(rng);
    for (int k = 0; k < n; ++k) {
        QByteArray line;
        const int length = std::uniform_int_distribution<int>(0, 60)(rng);
        for (int j = 0; j < length; ++j)
            line += (rng() % 4 == 0) ? QByteArray("\xD6\xD0") : QByteArray(1, static_cast<char>(0x21 + rng() % 94));
        lines.append(line);
    }
    return lines;
}

std::unique_ptr<TAnsiImage> textUnit(const TFilmPanel& strip, std::mt19937& rng) {
    std::unique_ptr<TAnsiImage> unit = strip.NewUnit();
    unit->setByteMode(rng() % 2 ? bmDoubleByte : bmSingleByte);
    unit->SetLines(randomLines(rng));
    if (rng() % 3 == 0) unit->setDuration(randomDuration(rng));
    return unit;
}

class HistoryRun {
public:
    explicit HistoryRun(unsigned seed) : m_rng(seed), m_mirror(m_strip) {
        m_strip.SetDefaultColors(0xFFFFFF, 0x000000);
        std::vector<std::unique_ptr<TAnsiImage>> units;
        const int initial = std::uniform_int_distribution<int>(0, 48)(m_rng);
        for (int k = 0; k < initial; ++k)
            units.push_back(textUnit(m_strip, m_rng));
        m_strip.AppendUnits(std::move(units));
        m_history.setClock([this] { return m_now; });
        QObject::connect(&m_history, &UndoHistory::modifiedChanged, [this](bool modified) { m_modified = modified; });
        m_states.push_back(stateOf(m_strip));
        m_currents.push_back(m_strip.currentIndex());
    }

    void run(int operations) {
        m_startRecords = recordsOf(m_strip);
        for (int k = 0; k < operations && !testing::Test::HasFatalFailure(); ++k) {
            m_now += std::uniform_int_distribution<int>(0, 1500)(m_rng);
            step();
            check();
        }
        // The end: the last state the history holds.
        while (m_history.stack()->canRedo() && !testing::Test::HasFatalFailure())
            redo();
        m_endRecords = recordsOf(m_strip);
        const State end = stateOf(m_strip);
        while (m_history.stack()->canUndo() && !testing::Test::HasFatalFailure())
            undo();
        EXPECT_EQ(recordsOf(m_strip), m_startRecords);
        while (m_history.stack()->canRedo() && !testing::Test::HasFatalFailure())
            redo();
        EXPECT_EQ(recordsOf(m_strip), m_endRecords);
        EXPECT_EQ(stateOf(m_strip), end);
    }

    // How often the run reached the cases that are easy to miss.
    int merges() const { return m_merges; }
    int cutInserts() const { return m_cutInserts; }
    int durationSteps() const { return m_durationSteps; }

private:
    int index() { return m_history.stack()->index(); }
    int randomUnit() { return std::uniform_int_distribution<int>(0, m_strip.count() - 1)(m_rng); }

    void step() {
        const int count = m_strip.count();
        // Applies come in runs on one unit, as when typing, so that merging happens.
        if (m_lastApplied >= 0 && m_lastApplied < count && m_rng() % 2) return apply(m_lastApplied);
        m_lastApplied = -1;
        switch (m_rng() % 12) {
        case 0:
        case 1:
            return undo();
        case 2:
            return redo();
        case 3: {
            std::vector<std::unique_ptr<TAnsiImage>> units;
            const int n = std::uniform_int_distribution<int>(1, 3)(m_rng);
            for (int k = 0; k < n; ++k)
                units.push_back(textUnit(m_strip, m_rng));
            return insert(std::move(units));
        }
        case 4:
            if (count > 0) {
                std::vector<std::unique_ptr<TAnsiImage>> units;
                units.push_back(DuplicateUnit(m_strip, randomUnit()));
                return insert(std::move(units));
            }
            return;
        case 5: {
            std::vector<std::unique_ptr<TAnsiImage>> units;
            units.push_back(BlankUnit(m_strip));
            return insert(std::move(units));
        }
        case 6:
            if (count > 0) {
                const int first = randomUnit();
                std::vector<const TAnsiImage*> copied;
                for (int k = first; k < std::min(count, first + 3); ++k)
                    copied.push_back(&m_strip.GetUnit(k));
                return insert(DecodeUnits(EncodeUnits(copied), m_strip));
            }
            return;
        case 7:
            if (count > 0) return remove();
            return;
        case 8:
            if (count > 0) return move();
            return;
        case 9:
        case 10:
            if (count > 0) return apply(randomUnit());
            return;
        default:
            if (m_rng() % 2) return pageColor();
            m_history.setClean();
            m_clean = index();
        }
    }

    // The model's new state after a push: states after the present one are gone, a clean state
    // among them unreachable.
    void pushed(State state, Step step) {
        const int at = index() - 1;
        m_states.resize(static_cast<std::size_t>(at) + 1);
        m_steps.resize(static_cast<std::size_t>(at));
        if (m_clean > at) m_clean = -1;
        m_states.push_back(std::move(state));
        m_steps.push_back(step);
        m_currents.resize(static_cast<std::size_t>(at) + 1);
        m_currents.push_back(step.redoCurrent == kKeep ? m_currents.back() : step.redoCurrent);
    }

    void insert(std::vector<std::unique_ptr<TAnsiImage>> units) {
        const int at = std::uniform_int_distribution<int>(0, m_strip.count())(m_rng);
        const int fits = std::min(static_cast<int>(units.size()), TFilmPanel::kMaxUnits - m_strip.count());
        if (fits < static_cast<int>(units.size())) ++m_cutInserts;
        State expected = m_states[static_cast<std::size_t>(index())];
        for (int k = 0; k < fits; ++k)
            expected.insert(expected.begin() + at + k, fingerprintOf(*units[static_cast<std::size_t>(k)]));
        const int before = m_strip.count();
        const int inserted = m_history.insertUnits(at, std::move(units), QStringLiteral("粘贴单元"));
        ASSERT_EQ(inserted, fits);
        if (inserted == 0) return;
        pushed(std::move(expected), {at + inserted - 1, std::min(at, before - 1)});
    }

    void remove() {
        const int first = randomUnit();
        const int n = std::min(std::uniform_int_distribution<int>(1, 3)(m_rng), m_strip.count() - first);
        State expected = m_states[static_cast<std::size_t>(index())];
        expected.erase(expected.begin() + first, expected.begin() + first + n);
        const int left = m_strip.count() - n;
        m_history.removeUnits(first, n, QStringLiteral("删除单元"));
        pushed(std::move(expected), {std::min(first, left - 1), first + n - 1});
    }

    void move() {
        const int from = randomUnit();
        const bool up = m_rng() % 2;
        const int to = up ? from - 1 : from + 1;
        const bool possible = to >= 0 && to < m_strip.count();
        State expected = m_states[static_cast<std::size_t>(index())];
        ASSERT_EQ(m_history.moveUnit(from, up), possible);
        if (!possible) return;
        std::swap(expected[static_cast<std::size_t>(from)], expected[static_cast<std::size_t>(to)]);
        pushed(std::move(expected), {to, from});
    }

    void apply(int unitIndex) {
        m_lastApplied = unitIndex;
        const QList<QByteArray> lines = randomLines(m_rng);
        const TColor back = static_cast<TColor>(m_rng() & 0xFFFFFF);
        const TColor font = static_cast<TColor>(m_rng() & 0xFFFFFF);
        // The expected unit: a copy given the same content without the history.
        std::unique_ptr<TAnsiImage> reference = DuplicateUnit(m_strip, unitIndex);
        reference->SetLines(lines);
        reference->SetBackColor(back);
        reference->SetFontColor(font);
        // Every third apply comes with a duration, often the one the unit has.
        const bool withDuration = m_rng() % 3 == 0;
        const std::int32_t duration =
            withDuration && m_rng() % 2 ? randomDuration(m_rng) : m_strip.GetUnit(unitIndex).duration();
        const bool newDuration = duration != m_strip.GetUnit(unitIndex).duration();
        reference->setDuration(duration);
        State expected = m_states[static_cast<std::size_t>(index())];
        Fingerprint changed = fingerprintOf(*reference);
        std::get<0>(changed) = m_strip.GetUnit(unitIndex).id();
        expected[static_cast<std::size_t>(unitIndex)] = changed;

        // The apply merges into the step that led to the present state when it changed the same
        // unit less than a second ago, unless the present state is the clean one.
        const int at = index() - 1;
        const int clean = m_clean > at + 1 ? -1 : m_clean;
        const bool merges = !newDuration && at >= 0 && at + 1 != clean &&
                            m_steps[static_cast<std::size_t>(at)].mergeable &&
                            m_steps[static_cast<std::size_t>(at)].contentIndex == unitIndex &&
                            m_now - m_steps[static_cast<std::size_t>(at)].lastMs < 1000;
        const int current = m_strip.currentIndex();
        if (withDuration)
            m_history.setUnitContent(unitIndex, lines, back, font, duration);
        else
            m_history.setUnitContent(unitIndex, lines, back, font);
        if (newDuration) ++m_durationSteps;
        if (merges) {
            ++m_merges;
            // One step still: the later states are gone, the step now ends in the new state.
            m_states.resize(static_cast<std::size_t>(at) + 1);
            m_steps.resize(static_cast<std::size_t>(at) + 1);
            m_currents.resize(static_cast<std::size_t>(at) + 2);
            m_clean = clean;
            m_states.push_back(std::move(expected));
            m_steps.back().lastMs = m_now;
            ASSERT_EQ(index(), at + 1);
        } else {
            Step step{kKeep, unitIndex, unitIndex, m_now, !newDuration};
            pushed(std::move(expected), step);
            m_currents.back() = current;
        }
    }

    void pageColor() {
        const TColor color = static_cast<TColor>(m_rng() & 0xFFFFFF);
        State expected = m_states[static_cast<std::size_t>(index())];
        for (Fingerprint& f : expected)
            std::get<11>(f) = color;
        m_history.setPageColor(color);
        pushed(std::move(expected), {kKeep, kKeep});
    }

    void undo() {
        if (!m_history.stack()->canUndo()) return;
        const Step step = m_steps[static_cast<std::size_t>(index() - 1)];
        const int current = m_strip.currentIndex();
        m_history.stack()->undo();
        m_currents[static_cast<std::size_t>(index())] = step.undoCurrent == kKeep ? current : step.undoCurrent;
        check();
    }

    void redo() {
        if (!m_history.stack()->canRedo()) return;
        const Step step = m_steps[static_cast<std::size_t>(index())];
        const int current = m_strip.currentIndex();
        m_history.stack()->redo();
        m_currents[static_cast<std::size_t>(index())] = step.redoCurrent == kKeep ? current : step.redoCurrent;
        if (step.contentIndex >= 0) m_currents[static_cast<std::size_t>(index())] = step.contentIndex;
        check();
    }

    void check() {
        const auto i = static_cast<std::size_t>(index());
        ASSERT_EQ(m_history.stack()->count(), static_cast<int>(m_steps.size()));
        ASSERT_EQ(stateOf(m_strip), m_states[i]) << "at step " << i;
        ASSERT_EQ(m_strip.currentIndex(), m_currents[i]) << "at step " << i;
        ASSERT_EQ(m_history.isClean(), index() == m_clean);
        ASSERT_EQ(m_modified, index() != m_clean);
        std::vector<std::uint64_t> ids;
        for (int k = 0; k < m_strip.count(); ++k)
            ids.push_back(m_strip.GetUnit(k).id());
        ASSERT_EQ(m_mirror.ids, ids);
        expectLayout(m_strip);
    }

    std::mt19937 m_rng;
    TFilmPanel m_strip;
    UndoHistory m_history{m_strip};
    MirrorView m_mirror;
    std::int64_t m_now = 0;
    int m_lastApplied = -1;
    int m_merges = 0;
    int m_cutInserts = 0;
    int m_durationSteps = 0;
    bool m_modified = false;
    int m_clean = 0;
    std::vector<State> m_states;
    std::vector<Step> m_steps;
    std::vector<int> m_currents;
    std::vector<QByteArray> m_startRecords;
    std::vector<QByteArray> m_endRecords;
};

} // namespace

TEST(UndoHistory, RandomEditsUndoAndRedoExactly) {
    int merges = 0;
    int cutInserts = 0;
    int durationSteps = 0;
    for (unsigned seed : {1u, 2u, 3u, 4u, 5u}) {
        SCOPED_TRACE(seed);
        HistoryRun run(seed);
        run.run(200);
        if (HasFatalFailure()) return;
        merges += run.merges();
        cutInserts += run.cutInserts();
        durationSteps += run.durationSteps();
    }
    EXPECT_GT(merges, 0);
    EXPECT_GT(cutInserts, 0);
    EXPECT_GT(durationSteps, 0);
}

namespace {

// ApplyDuration applies with the duration 500 ms.
enum class Act { Apply, ApplyDuration, Save, Undo, Redo, Move, Page, Clear };
struct Action {
    Act act;
    int unit = 0;
    std::int64_t ms = 0;
};
struct MergeCase {
    const char* name;
    std::vector<Action> actions;
    int steps;           // steps the history holds at the end
    bool clean;          // whether the present state is the clean one
    bool cleanReachable; // whether some state of the history is clean
};

} // namespace

TEST(UndoHistory, AppliesMergeWithinASecondAndTheCleanStateFollowsSavesAndSteps) {
    const std::vector<MergeCase> cases = {
        {"same unit within a second", {{Act::Apply, 0, 0}, {Act::Apply, 0, 999}}, 1, false, true},
        {"same unit a second later", {{Act::Apply, 0, 0}, {Act::Apply, 0, 1000}}, 2, false, true},
        {"another unit", {{Act::Apply, 0, 0}, {Act::Apply, 1, 10}}, 2, false, true},
        {"a run of applies, each within a second of the last",
         {{Act::Apply, 1, 0}, {Act::Apply, 1, 800}, {Act::Apply, 1, 1600}, {Act::Apply, 1, 2400}},
         1,
         false,
         true},
        {"a step between", {{Act::Apply, 0, 0}, {Act::Page}, {Act::Apply, 0, 10}}, 3, false, true},
        {"never into the saved state", {{Act::Apply, 0, 0}, {Act::Save}, {Act::Apply, 0, 10}}, 2, false, true},
        {"into the step below after an undo",
         {{Act::Apply, 0, 0}, {Act::Move, 1}, {Act::Undo}, {Act::Apply, 0, 10}},
         1,
         false,
         true},
        {"save", {{Act::Apply, 0, 0}, {Act::Move, 1}, {Act::Save}}, 2, true, true},
        {"undo back to the saved state", {{Act::Apply, 0, 0}, {Act::Save}, {Act::Move, 1}, {Act::Undo}}, 2, true, true},
        {"undo past the saved state", {{Act::Apply, 0, 0}, {Act::Save}, {Act::Undo}}, 1, false, true},
        {"redo back to the saved state", {{Act::Page}, {Act::Save}, {Act::Undo}, {Act::Redo}}, 1, true, true},
        {"a new step after undo past the saved state",
         {{Act::Apply, 0, 0}, {Act::Save}, {Act::Undo}, {Act::Page}},
         1,
         false,
         false},
        {"clear", {{Act::Apply, 0, 0}, {Act::Page}, {Act::Clear}}, 0, true, true},
        {"a new duration merges with neither neighbour",
         {{Act::Apply, 0, 0}, {Act::ApplyDuration, 0, 10}, {Act::Apply, 0, 20}},
         3,
         false,
         true},
        {"a duration that stays is a plain apply",
         {{Act::ApplyDuration, 0, 0}, {Act::Apply, 0, 1500}, {Act::ApplyDuration, 0, 1600}},
         2,
         false,
         true},
    };
    for (const MergeCase& c : cases) {
        SCOPED_TRACE(c.name);
        TFilmPanel strip;
        std::vector<std::unique_ptr<TAnsiImage>> units;
        for (int k = 0; k < 3; ++k) {
            units.push_back(strip.NewUnit());
            units.back()->SetLines({QByteArray("unit ") + QByteArray::number(k)});
        }
        strip.AppendUnits(std::move(units));
        UndoHistory history(strip);
        std::int64_t now = 0;
        history.setClock([&now] { return now; });
        bool modified = false;
        QObject::connect(&history, &UndoHistory::modifiedChanged, [&modified](bool m) { modified = m; });
        const std::vector<QByteArray> start = recordsOf(strip);
        int applies = 0;
        for (const Action& a : c.actions) {
            now = a.ms;
            switch (a.act) {
            case Act::Apply:
                history.setUnitContent(a.unit, {QByteArray("apply ") + QByteArray::number(++applies)}, 0x0000FF,
                                       0x00FF00);
                break;
            case Act::ApplyDuration:
                history.setUnitContent(a.unit, {QByteArray("apply ") + QByteArray::number(++applies)}, 0x0000FF,
                                       0x00FF00, 500);
                break;
            case Act::Save:
                history.setClean();
                break;
            case Act::Undo:
                history.stack()->undo();
                break;
            case Act::Redo:
                history.stack()->redo();
                break;
            case Act::Move:
                history.moveUnit(a.unit, true);
                break;
            case Act::Page:
                history.setPageColor(0x112233);
                break;
            case Act::Clear:
                history.clear();
                break;
            }
            EXPECT_EQ(modified, !history.isClean());
        }
        EXPECT_EQ(history.stack()->count(), c.steps);
        EXPECT_EQ(history.isClean(), c.clean);
        // Every state the history reaches, and whether one of them is clean.
        const std::vector<QByteArray> end = recordsOf(strip);
        const std::int32_t endDuration = strip.GetUnit(0).duration();
        const int present = history.stack()->index();
        bool reachable = false;
        for (int i = 0; i <= history.stack()->count(); ++i) {
            history.stack()->setIndex(i);
            reachable = reachable || history.isClean();
            EXPECT_EQ(modified, !history.isClean());
        }
        EXPECT_EQ(reachable, c.cleanReachable);
        history.stack()->setIndex(0);
        if (c.actions.back().act != Act::Clear) {
            EXPECT_EQ(recordsOf(strip), start) << "all undone";
            EXPECT_EQ(strip.GetUnit(0).duration(), 0) << "all undone";
        }
        history.stack()->setIndex(present);
        EXPECT_EQ(recordsOf(strip), end);
        EXPECT_EQ(strip.GetUnit(0).duration(), endDuration);
    }
}
