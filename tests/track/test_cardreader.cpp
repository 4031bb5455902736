// A camera's card read from its listing: channels, kinds, starts and groups.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/moviehead.h"
#include "telemetry/kalgpsmovietime.h"
#include "track/cardreader.h"

namespace {

const CardRules &rules()
{
    static const CardRules r = CardRules::shipped();
    return r;
}

CardFile read(const std::string &path) { return readCardFile({path, std::nullopt}, rules()); }

struct Expect {
    const char *path;
    CardChannel channel;
    CardKind kind;
    const char *start; // "" for none
};

std::string startText(const CardFile &f) { return f.start ? cardTimeText(*f.start) : std::string(); }

// The layouts cameras write, one row each.
TEST(CardRules, EveryShippedLayoutGivesChannelKindAndStart)
{
    const Expect cases[] = {
        {"Movie/2026_0514_091500_0001F.MP4", CardChannel::Front, CardKind::Normal, "2026-05-14T09:15:00"},
        {"Movie/2026_0514_091500_0001R.MP4", CardChannel::Rear, CardKind::Normal, "2026-05-14T09:15:00"},
        {"Movie/2026_0514_091800_0003ER.MP4", CardChannel::Rear, CardKind::Event, "2026-05-14T09:18:00"},
        {"Movie/2026_0514_091900_0004PT.mp4", CardChannel::Telephoto, CardKind::Parking, "2026-05-14T09:19:00"},
        {"Parking/2026_0514_092000_0005I.MP4", CardChannel::Interior, CardKind::Parking, "2026-05-14T09:20:00"},
        {"RO/2026_0514_092100_0006EF.MP4", CardChannel::Front, CardKind::Locked, "2026-05-14T09:21:00"},
        {"DCIM/20260514_101500_NF.mp4", CardChannel::Front, CardKind::Normal, "2026-05-14T10:15:00"},
        {"DCIM/20260514_101500_MI.mp4", CardChannel::Interior, CardKind::Manual, "2026-05-14T10:15:00"},
        {"DCIM/20260514_101600_ER.MOV", CardChannel::Rear, CardKind::Event, "2026-05-14T10:16:00"},
        {"evt_rec/EVT_2026_05_14_11_00_41_R.MP4", CardChannel::Rear, CardKind::Event, "2026-05-14T11:00:41"},
        {"cont_rec/REC_2026_05_14_11_00_00_F.MP4", CardChannel::Front, CardKind::Normal, "2026-05-14T11:00:00"},
        {"sos_rec/PAR_2026_05_14_11_02_00_F.ts", CardChannel::Front, CardKind::Parking, "2026-05-14T11:02:00"},
        {"manual_rec/MAN_2026_05_14_11_03_00_F.MP4", CardChannel::Front, CardKind::Manual, "2026-05-14T11:03:00"},
        {"Normal/Back/NO20260514-120000-000101B.mp4", CardChannel::Rear, CardKind::Normal, "2026-05-14T12:00:00"},
        {"Event/Front/EV20260514-120500-000102F.mp4", CardChannel::Front, CardKind::Event, "2026-05-14T12:05:00"},
        {"SavedClips/2026-05-14_13-05-12/2026-05-14_13-04-01-left_repeater.mp4", CardChannel::Left,
         CardKind::Locked, "2026-05-14T13:04:01"},
        {"SentryClips/x/2026-05-14_13-04-01-back.mp4", CardChannel::Rear, CardKind::Event, "2026-05-14T13:04:01"},
        {"RecentClips/2026-05-14_13-04-01-right_pillar.mp4", CardChannel::RightPillar, CardKind::Normal,
         "2026-05-14T13:04:01"},
        {"RecentClips/2026-05-14_13-04-01-front.MP4", CardChannel::Front, CardKind::Normal, "2026-05-14T13:04:01"},
        {"20260514_140000_0012_I.MP4", CardChannel::Interior, CardKind::Unknown, "2026-05-14T14:00:00"},
        {"20260514150000_B.mp4", CardChannel::Rear, CardKind::Unknown, "2026-05-14T15:00:00"},
        {"Event/20260514150000_D.mp4", CardChannel::Other, CardKind::Event, "2026-05-14T15:00:00"},
        {"Rear/CLIP0001.MP4", CardChannel::Rear, CardKind::Unknown, ""},
        {"Event/Inside/CLIP0002.MP4", CardChannel::Interior, CardKind::Event, ""},
        {"CLIP0003.MP4", CardChannel::Front, CardKind::Unknown, ""},
        // Only the file's own folder names its channel.
        {"Rear/x/CLIP0005.MP4", CardChannel::Front, CardKind::Unknown, ""},
        {"2026_0514_091560_0001F.MP4", CardChannel::Front, CardKind::Unknown, ""},
        // A name with an impossible time is no time; a name rule needs a card ending.
        {"2026_1314_091500_0001F.MP4", CardChannel::Front, CardKind::Unknown, ""},
        {"Rear/2026_0514_091500_0001F.AVI", CardChannel::Rear, CardKind::Unknown, ""},
    };
    for (const Expect &e : cases) {
        const CardFile f = read(e.path);
        EXPECT_EQ(cardChannelName(f.channel), std::string(cardChannelName(e.channel))) << e.path;
        EXPECT_EQ(cardKindName(f.kind), std::string(cardKindName(e.kind))) << e.path;
        EXPECT_EQ(startText(f), e.start) << e.path;
    }
}

TEST(CardRules, NamesAreReadWithoutRegardToCase)
{
    const CardFile f = read("movie/2026_0514_091500_0003er.mp4");
    EXPECT_EQ(f.channel, CardChannel::Rear);
    EXPECT_EQ(f.kind, CardKind::Event);
}

TEST(CardRules, CreationTimeStandsInWhenTheNameHasNone)
{
    const CardFile f = readCardFile({"Rear/CLIP0001.MP4", 1778750100}, rules());
    EXPECT_EQ(startText(f), "2026-05-14T09:15:00");
    // The name's own time wins over the container's.
    EXPECT_EQ(startText(readCardFile({"20260514150000_B.mp4", 5}, rules())), "2026-05-14T15:00:00");
}

TEST(CardRules, BadRulesAreToldOnceAndSkipped)
{
    CardRules r = CardRules::shipped();
    std::vector<std::string> errors;
    r.addText("name {Y}{M}{D}_{h}{m}{s}-{channel} channels=X:sideways\n"   // unknown channel
              "name {Y}{M}{D}{h}{m}_{channel} channels=Q:front\n"          // time without seconds
              "name {Y}{M}{D}_{h}{m}{s}_{kind} \n"                         // kind without letters
              "name {bogus\n"
              "kind-folder Stuff furious\n"
              "\x01\x02 garbage\n"
              "# a comment\n"
              "name CAM{#}_{Y}{M}{D}{h}{m}{s}{channel} channels=Q:rear\n", // a good one
              "mine.txt", &errors);
    ASSERT_EQ(errors.size(), 6u);
    EXPECT_EQ(errors[0].rfind("mine.txt:1: ", 0), 0u) << errors[0];
    EXPECT_NE(errors[1].find("{Y}{M}{D}{h}{m}{s}"), std::string::npos) << errors[1];
    EXPECT_EQ(errors[5].rfind("mine.txt:6: ", 0), 0u) << errors[5];
    EXPECT_EQ(r.nameRuleCount(), CardRules::shipped().nameRuleCount() + 1);
    const CardNameReading n = r.readName("cam7_20260514091500q.mp4");
    EXPECT_TRUE(n.matched);
    EXPECT_EQ(n.channel, CardChannel::Rear);
    // The shipped rules still work beside it.
    EXPECT_EQ(r.readName("20260514_101500_NF.mp4").kind, CardKind::Normal);
}

TEST(CardRules, UserFileInTheConfigurationFolderExtendsTheShippedRules)
{
    namespace fs = std::filesystem;
    const fs::path home = fs::temp_directory_path() / ("trava-cardrules-" + std::to_string(::getpid()));
    fs::create_directories(home / "Trava" / "Trava Player");
    std::ofstream(home / "Trava" / "Trava Player" / "cardrules.txt")
        << "kind-folder Alarm event\nname DVR{Y}{M}{D}{h}{m}{s}{channel} channels=F:front,R:rear\nnonsense\n";
    const char *old = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = old ? old : "";
    setenv("XDG_CONFIG_HOME", home.c_str(), 1);
    std::vector<std::string> errors;
    const CardRules r = loadCardRules(&errors);
    if (old)
        setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
    fs::remove_all(home);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("cardrules.txt:3:"), std::string::npos) << errors[0];
    const CardFile f = readCardFile({"Alarm/DVR20260514091500R.mp4", std::nullopt}, r);
    EXPECT_EQ(f.channel, CardChannel::Rear);
    EXPECT_EQ(f.kind, CardKind::Event);
    EXPECT_EQ(startText(f), "2026-05-14T09:15:00");
}

std::vector<CardEntry> listing(std::initializer_list<const char *> paths)
{
    std::vector<CardEntry> out;
    for (const char *p : paths)
        out.push_back({p, std::nullopt});
    return out;
}

TEST(CardReader, ChannelsOfOneMomentFormOneGroupMainChannelFirst)
{
    const auto groups = readCard(listing({"Movie/2026_0514_091600_0002R.MP4", "Movie/2026_0514_091501_0001R.MP4",
                                          "Movie/2026_0514_091500_0001F.MP4", "Movie/2026_0514_091600_0002F.MP4",
                                          "Movie/2026_0514_091500_0001I.MP4"}),
                                 rules());
    ASSERT_EQ(groups.size(), 2u);
    ASSERT_EQ(groups[0].files.size(), 3u);
    EXPECT_EQ(groups[0].files[0].channel, CardChannel::Front);
    EXPECT_EQ(groups[0].files[1].channel, CardChannel::Rear);
    EXPECT_EQ(groups[0].files[2].channel, CardChannel::Interior);
    EXPECT_EQ(cardTimeText(*groups[0].start), "2026-05-14T09:15:00");
    EXPECT_EQ(groups[0].kind, CardKind::Normal);
    ASSERT_EQ(groups[1].files.size(), 2u);
    EXPECT_EQ(groups[1].files[0].path, "Movie/2026_0514_091600_0002F.MP4");
}

TEST(CardReader, GroupingNeedsCloseStartsSameKindOtherChannelAndNearbyFolders)
{
    const auto groups = readCard(
        listing({"Normal/Front/NO20260514-120000-000101F.mp4", "Normal/Back/NO20260514-120002-000101B.mp4",
                 // three seconds apart: not the same moment
                 "Normal/Front/NO20260514-121000-000102F.mp4", "Normal/Back/NO20260514-121003-000102B.mp4",
                 // same time, other kind
                 "Event/Back/EV20260514-120000-000103B.mp4",
                 // same time and kind, but the rear channel is taken by then
                 "Normal/Back/NO20260514-120001-000104B.mp4",
                 // far apart folders
                 "x/y/20260514150000_F.mp4", "z/w/v/20260514150000_R.mp4",
                 // two seconds apart is still one moment; one folder, two kinds is not
                 "Normal/Front/NO20260514-130000-000105F.mp4", "Normal/Back/NO20260514-130002-000105B.mp4",
                 "DCIM/20260514_140000_NF.mp4", "DCIM/20260514_140000_ER.mp4"}),
        rules());
    std::vector<std::size_t> sizes;
    for (const auto &g : groups)
        sizes.push_back(g.files.size());
    // Starts order the groups, then paths.
    EXPECT_EQ(sizes, (std::vector<std::size_t>{1, 2, 1, 1, 1, 2, 1, 1, 1, 1})) << groups.size();
    EXPECT_EQ(groups[0].files[0].path, "Event/Back/EV20260514-120000-000103B.mp4");
    EXPECT_EQ(groups[1].files[1].path, "Normal/Back/NO20260514-120001-000104B.mp4");
}

TEST(CardReader, FilesWithoutStartStandAloneAfterTheRest)
{
    const auto groups =
        readCard(listing({"Rear/CLIP0002.MP4", "Front/CLIP0002.MP4", "20260514150000_B.mp4"}), rules());
    ASSERT_EQ(groups.size(), 3u);
    EXPECT_TRUE(groups[0].start);
    EXPECT_EQ(groups[1].files[0].path, "Front/CLIP0002.MP4");
    EXPECT_EQ(groups[2].files[0].channel, CardChannel::Rear);
    EXPECT_FALSE(groups[2].start);
}

TEST(CardReader, ThousandsOfFilesStayLinear)
{
    std::vector<CardEntry> entries;
    for (int i = 0; i < 5000; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "Movie/2026_0514_%02d%02d%02d_%04d%c.MP4", 8 + i / 3600, i / 60 % 60, i % 60,
                      i, i % 2 ? 'R' : 'F');
        entries.push_back({name, std::nullopt});
    }
    const auto groups = readCard(entries, rules());
    ASSERT_EQ(groups.size(), 2500u);
    EXPECT_EQ(groups[0].files.size(), 2u);
}

TEST(MovieCreationTime, ReadsTheMovieHeaderAndRefusesWhatIsNotOne)
{
    uint64_t t = 0;
    EXPECT_TRUE(kalGpsMovieCreationTime(TRAVA_TEST_DATA "/clip.mov", &t) || t == 0);
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("trava-mvhd-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    using moviehead::atom;
    const uint32_t when = 3861594900u; // 2026-05-14T09:15:00 since 1904
    const std::string mvhd0 = moviehead::mvhd(when, 0), mvhd1 = moviehead::mvhd(when, 1);
    const std::string ftyp = moviehead::ftyp();
    const struct {
        const char *name;
        std::string bytes;
        bool ok;
    } files[] = {
        {"v0.mp4", ftyp + atom("mdat", std::string(5000, 'x')) + atom("moov", atom("mvhd", mvhd0)), true},
        {"v1.mp4", ftyp + atom("moov", atom("udta", "") + atom("mvhd", mvhd1)), true},
        {"zero.mp4", ftyp + atom("moov", atom("mvhd", std::string(100, '\0'))), false},
        {"cut.mp4", (ftyp + atom("moov", atom("mvhd", mvhd0))).substr(0, 40), false},
        {"liar.mp4", std::string("\xff\xff\xff\xffmoov", 8) + atom("mvhd", mvhd0), false},
        {"text.mp4", "hello, this is not a movie at all", false},
        {"empty.mp4", "", false},
    };
    for (const auto &f : files) {
        std::ofstream(dir / f.name, std::ios::binary) << f.bytes;
        uint64_t got = 0;
        EXPECT_EQ(kalGpsMovieCreationTime((dir / f.name).c_str(), &got), f.ok) << f.name;
        if (f.ok) {
            EXPECT_EQ(cardTimeText(int64_t(got) - kKalGpsMovieEpochOffset), "2026-05-14T09:15:00") << f.name;
        }
    }
    EXPECT_FALSE(kalGpsMovieCreationTime((dir / "missing.mp4").c_str(), &t));
    EXPECT_FALSE(kalGpsMovieCreationTime(dir.c_str(), &t));

    // The length: duration over time scale, in either version; nothing when unset.
    double length = 0;
    EXPECT_FALSE(kalGpsMovieDuration((dir / "v0.mp4").c_str(), &length));
    moviehead::writeMovie(dir / "len0.mp4", 1778750100, 0, 60500);
    ASSERT_TRUE(kalGpsMovieDuration((dir / "len0.mp4").c_str(), &length));
    EXPECT_DOUBLE_EQ(length, 60.5);
    moviehead::writeMovie(dir / "len1.mp4", 1778750100, 1, 600000);
    ASSERT_TRUE(kalGpsMovieDuration((dir / "len1.mp4").c_str(), &length));
    EXPECT_DOUBLE_EQ(length, 600.0);
    EXPECT_TRUE(kalGpsMovieCreationTime((dir / "len1.mp4").c_str(), &t));
    EXPECT_EQ(int64_t(t) - kKalGpsMovieEpochOffset, 1778750100);
    std::ofstream(dir / "unknown.mp4", std::ios::binary)
        << ftyp + atom("moov", atom("mvhd", moviehead::mvhd(when, 0, 1000, 0xffffffffu)));
    EXPECT_FALSE(kalGpsMovieDuration((dir / "unknown.mp4").c_str(), &length));
    EXPECT_FALSE(kalGpsMovieDuration((dir / "text.mp4").c_str(), &length));
    for (const char *gone : {"len0.mp4", "len1.mp4", "unknown.mp4"})
        fs::remove(dir / gone); // the walk below counts the files
    // The picture size from the track headers: the tallest picture among the tracks, an audio
    // track (no picture) and a header cut short ignored; nothing where no track declares one.
    uint32_t w = 0, h = 0;
    ASSERT_TRUE(kalGpsMoviePictureSize(TRAVA_TEST_DATA "/clip.mov", &w, &h));
    EXPECT_EQ(w, 320u);
    EXPECT_EQ(h, 180u);
    auto tkhd = [&](int version, uint32_t width, uint32_t height) {
        std::string body(version == 1 ? 96 : 84, '\0');
        body[0] = char(version);
        const std::size_t at = body.size() - 8;
        for (int i = 0; i < 4; ++i) {
            body[at + i] = char((width << 16) >> (24 - 8 * i));
            body[at + 4 + i] = char((height << 16) >> (24 - 8 * i));
        }
        return atom("tkhd", body);
    };
    const struct {
        const char *name;
        std::string bytes;
        uint32_t width, height;
    } movies[] = {
        {"size-two.mp4", ftyp + atom("mdat", "x") + atom("moov", atom("mvhd", mvhd0) + atom("trak", tkhd(0, 0, 0)) +
                                                             atom("trak", tkhd(1, 3840, 2160)) +
                                                             atom("trak", tkhd(0, 1920, 1080))), 3840, 2160},
        {"size-short.mp4", ftyp + atom("moov", atom("trak", atom("tkhd", std::string(40, '\0'))) +
                                              atom("trak", tkhd(0, 640, 360))), 640, 360},
        {"size-audio.mp4", ftyp + atom("moov", atom("trak", tkhd(0, 0, 0))), 0, 0},
        {"size-notrak.mp4", ftyp + atom("moov", atom("mvhd", mvhd0)), 0, 0},
        {"size-liar.mp4", std::string("\xff\xff\xff\xffmoov", 8) + atom("trak", tkhd(0, 640, 360)), 0, 0},
    };
    for (const auto &m : movies) {
        std::ofstream(dir / m.name, std::ios::binary) << m.bytes;
        w = h = 0;
        EXPECT_EQ(kalGpsMoviePictureSize((dir / m.name).c_str(), &w, &h), m.height > 0) << m.name;
        EXPECT_EQ(w, m.width) << m.name;
        EXPECT_EQ(h, m.height) << m.name;
        fs::remove(dir / m.name);
    }
    EXPECT_FALSE(kalGpsMoviePictureSize((dir / "missing.mp4").c_str(), &w, &h));
    EXPECT_FALSE(kalGpsMoviePictureSize(dir.c_str(), &w, &h));

    // The walk reads it for names without a time, skips hidden entries and other endings.
    fs::create_directories(dir / "Rear");
    fs::copy_file(dir / "v0.mp4", dir / "Rear" / "CLIP0001.MP4");
    std::ofstream(dir / ".hidden.mp4") << "x";
    std::ofstream(dir / "notes.txt") << "x";
    std::vector<std::string> unreadable;
    const auto entries = walkCard(dir.string() + "/", rules(), {"mp4", "mov", "ts"}, &unreadable);
    fs::remove_all(dir);
    ASSERT_EQ(entries.size(), 8u);
    EXPECT_EQ(entries[0].path, "Rear/CLIP0001.MP4");
    ASSERT_TRUE(entries[0].created);
    EXPECT_EQ(cardTimeText(*entries[0].created), "2026-05-14T09:15:00");
    EXPECT_TRUE(unreadable.empty());
}

} // namespace
