#include "config/profile_file.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/config/file_bytes.h"
#include "tests/support/temp_dir.h"

namespace kestrin {
namespace {

using namespace std::string_literals;

class ProfileFileTest : public ::testing::Test {
  protected:
    ProfileFile Given(const std::string& bytes) {
        test::WriteBytes(m_path, bytes);
        return ProfileFile(m_path.string());
    }
    ProfileFile Missing() { return ProfileFile(m_path.string()); }
    std::string OnDisk() const { return test::ReadBytes(m_path); }

    test::TempDir m_dir;
    std::filesystem::path m_path = m_dir.path() / "meter.ini";
};

TEST_F(ProfileFileTest, MissingFileReadsAsEmpty) {
    const ProfileFile file = Missing();
    EXPECT_EQ(file.ReadString("Form", "cal", "-12"), "-12");
    EXPECT_EQ(file.ReadInteger("Form", "left", 200), 200);
    EXPECT_TRUE(file.ReadBool("Form", "dbScale", true));
    EXPECT_FALSE(std::filesystem::exists(m_path));
}

TEST_F(ProfileFileTest, NamesMatchWithoutRegardToAsciiCase) {
    const ProfileFile file = Given("[fORM]\r\nONTOP=1\r\n[\xC4]\r\nk=2\r\n");
    EXPECT_EQ(file.ReadString("Form", "OnTop", "d"), "1");
    EXPECT_EQ(file.ReadString("\xC4", "K", "d"), "2");
    // Only ASCII letters fold: these are two different Latin-1 letters.
    EXPECT_EQ(file.ReadString("\xE4", "k", "d"), "d");
}

TEST_F(ProfileFileTest, FirstSectionAndFirstKeyWin) {
    const ProfileFile file = Given("[Form]\nk=1\nK=2\n[form]\nk=3\nj=4\n");
    EXPECT_EQ(file.ReadString("Form", "k", "d"), "1");
    EXPECT_EQ(file.ReadString("Form", "j", "d"), "d");
}

TEST_F(ProfileFileTest, BlanksAroundNamesAndValuesAreTrimmed) {
    const ProfileFile file = Given("  [ Form ]\t \r\n \t cal \t=  -20 \t\r\n\vdecay\f=\f3\r\n");
    EXPECT_EQ(file.ReadString("Form", "cal", "d"), "-20");
    EXPECT_EQ(file.ReadString("Form", "decay", "d"), "3");
}

TEST_F(ProfileFileTest, CrLfAndLfLinesReadAlike) {
    const ProfileFile file = Given("[Input]\nShort Name=A\r\n[Form]\r\ncal=-9\nleft=5");
    EXPECT_EQ(file.ReadString("Input", "Short Name", "d"), "A");
    EXPECT_EQ(file.ReadString("Form", "cal", "d"), "-9");
    EXPECT_EQ(file.ReadInteger("Form", "left", 0), 5);
}

TEST_F(ProfileFileTest, EmptyValueIsEmptyNotTheDefault) {
    const ProfileFile file = Given("[Form]\r\ncal=\r\ndecay=   \r\n");
    EXPECT_EQ(file.ReadString("Form", "cal", "-12"), "");
    EXPECT_EQ(file.ReadString("Form", "decay", "2"), "");
    EXPECT_EQ(file.ReadInteger("Form", "cal", 7), 7);
}

TEST_F(ProfileFileTest, ValuesKeepTheirBytesQuotesAndEqualsSigns) {
    const ProfileFile file =
        Given("[Form]\r\npassword=\x9E\x9D\x9C\r\nname=\"a=b\"\r\ninner=a \"b\" 'c'\r\n");
    EXPECT_EQ(file.ReadString("Form", "password", ""), "\x9E\x9D\x9C");
    // A matching pair of quotes around the whole value goes, as the platform's reader has it.
    EXPECT_EQ(file.ReadString("Form", "name", ""), "a=b");
    EXPECT_EQ(file.ReadString("Form", "inner", ""), "a \"b\" 'c'");
}

TEST_F(ProfileFileTest, LinesThatAreNeitherSectionNorKeyNeverMatch) {
    const ProfileFile file =
        Given("cal=1\r\n[Form\r\ncal\r\n[Form]\r\ndecay\r\n[Input\r\nleft=3\r\n");
    // Keys before the first section and a header without "]" belong to no section of that name.
    EXPECT_EQ(file.ReadString("Form", "cal", "d"), "d");
    EXPECT_EQ(file.ReadString("Form", "decay", "d"), "d");
    EXPECT_EQ(file.ReadString("Input", "left", "d"), "d");
    // The broken header doesn't end the section before it.
    EXPECT_EQ(file.ReadString("Form", "left", "d"), "3");
}

TEST_F(ProfileFileTest, ValueEndsAtNulByte) {
    const ProfileFile file = Given("[Form]\r\ncal=-20\0tail\r\nde\0cay=4\r\n"s);
    EXPECT_EQ(file.ReadString("Form", "cal", "d"), "-20");
    EXPECT_EQ(file.ReadString("Form", "decay", "d"), "d");
}

TEST_F(ProfileFileTest, WriteToMissingFileCreatesItWithCrLf) {
    ProfileFile file = Missing();
    file.SetString("Form", "left", "200");
    file.Save();
    EXPECT_EQ(OnDisk(), "[Form]\r\nleft=200\r\n");
    EXPECT_EQ(file.bytes(), OnDisk());
}

TEST_F(ProfileFileTest, ReplacingAKeyChangesOnlyItsLine) {
    ProfileFile file = Given("; note\n[Form]\r\n  CAL = -12 \r\ndecay=2\n");
    file.SetString("Form", "cal", "-20");
    file.Save();
    EXPECT_EQ(OnDisk(), "; note\n[Form]\r\nCAL=-20\r\ndecay=2\n");
    EXPECT_EQ(file.ReadString("Form", "cal", "d"), "-20");
}

TEST_F(ProfileFileTest, NewKeyFollowsTheLastKeyOfItsSection) {
    ProfileFile file = Given("[Input]\nDevice Name=Mic\n\n; spare\n[Form]\na=1\n");
    file.SetString("input", "Short Name", "K");
    file.Save();
    EXPECT_EQ(OnDisk(), "[Input]\nDevice Name=Mic\nShort Name=K\n\n; spare\n[Form]\na=1\n");
}

TEST_F(ProfileFileTest, NewKeyInASectionWithoutKeysFollowsItsHeader) {
    ProfileFile file = Given("[Form]\r\n\r\n[Input]\r\n");
    file.SetString("Form", "top", "1");
    file.Save();
    EXPECT_EQ(OnDisk(), "[Form]\r\ntop=1\r\n\r\n[Input]\r\n");
}

TEST_F(ProfileFileTest, NewKeyAndSectionAfterALastLineWithoutEnding) {
    ProfileFile file = Given("[Form]\na=1");
    file.SetString("Form", "b", "2");
    file.Save();
    EXPECT_EQ(OnDisk(), "[Form]\na=1\nb=2\n");

    ProfileFile other = Given("[Form]\r\na=1");
    other.SetString("Input", "x", "y");
    other.Save();
    EXPECT_EQ(OnDisk(), "[Form]\r\na=1\r\n[Input]\r\nx=y\r\n");
}

TEST_F(ProfileFileTest, WritesGoToTheFirstSectionOfTheName) {
    ProfileFile file = Given("[Form]\na=1\n[Form]\nb=2\n");
    file.SetString("Form", "b", "3");
    file.Save();
    EXPECT_EQ(OnDisk(), "[Form]\na=1\nb=3\n[Form]\nb=2\n");
    EXPECT_EQ(file.ReadString("Form", "b", "d"), "3");
}

TEST_F(ProfileFileTest, ValueCannotBreakTheLines) {
    ProfileFile file = Missing();
    file.SetString("Form", "ShortName", "Meter\r\n[Input]\r\nDevice Name=evil");
    file.Save();
    file.SetString("Form", "other", "ab\0cd"s);
    file.Save();
    EXPECT_EQ(OnDisk(), "[Form]\r\nShortName=Meter\r\nother=ab\r\n");
}

TEST_F(ProfileFileTest, NumbersAndBooleansAreWrittenInDecimal) {
    ProfileFile file = Missing();
    file.SetInteger("Form", "MColor", 16777215);
    file.Save();
    file.SetInteger("Form", "left", -40);
    file.Save();
    file.SetBool("Form", "Msix", true);
    file.Save();
    file.SetBool("Form", "amber", false);
    file.Save();
    EXPECT_EQ(OnDisk(), "[Form]\r\nMColor=16777215\r\nleft=-40\r\nMsix=1\r\namber=0\r\n");
}

// Every byte, alone and between two letters, either reads back as it stands in the file or is
// one that a value can't hold; ProfileValueSurvives must know which.
TEST_F(ProfileFileTest, ValueSurvivesExactlyWhenItReadsBack) {
    auto alone = [](int byte) { return std::string(1, static_cast<char>(byte)); };
    auto inside = [&](int byte) { return "a" + alone(byte) + "b"; };
    std::string bytes = "[Alone]\r\n";
    for (int byte = 0; byte < 256; ++byte)
        bytes += std::to_string(byte) + "=" + alone(byte) + "\r\n";
    bytes += "[Inside]\r\n";
    for (int byte = 0; byte < 256; ++byte)
        bytes += std::to_string(byte) + "=" + inside(byte) + "\r\n";
    const ProfileFile file = Given(bytes);
    for (int byte = 0; byte < 256; ++byte) {
        SCOPED_TRACE(byte);
        EXPECT_EQ(file.ReadString("Alone", std::to_string(byte), "?") == alone(byte),
                  ProfileValueSurvives(alone(byte)));
        // A lone CR inside a value reads back, but the writer never leaves one there.
        EXPECT_EQ(file.ReadString("Inside", std::to_string(byte), "?") == inside(byte),
                  ProfileValueSurvives(inside(byte)) || byte == '\r');
    }
    EXPECT_FALSE(ProfileValueSurvives("\r"));
    EXPECT_FALSE(ProfileValueSurvives(" a"));
    EXPECT_TRUE(ProfileValueSurvives("a b"));
}

// The same through the writer, for the bytes that matter to it.
TEST_F(ProfileFileTest, WrittenValueReadsBackExactlyWhenItSurvives) {
    ProfileFile file = Missing();
    for (const char byte : {'\0', '\t', '\n', '\v', '\f', '\r', ' ', 'a', '\xFF'}) {
        for (const std::string& value : {std::string(1, byte), "a" + std::string(1, byte) + "b"}) {
            file.SetString("Form", "k", value);
            file.Save();
            const ProfileFile reread(m_path.string());
            EXPECT_EQ(reread.ReadString("Form", "k", "?") == value, ProfileValueSurvives(value))
                << static_cast<int>(byte);
        }
    }
}

struct IntegerCase {
    const char* text;
    std::optional<int32_t> value;
};

class ProfileIntegerTest : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(ProfileIntegerTest, ReadsAsExpected) {
    EXPECT_EQ(ParseProfileInteger(GetParam().text), GetParam().value) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Decimal, ProfileIntegerTest,
    ::testing::Values(IntegerCase{"0", 0}, IntegerCase{"65280", 65280}, IntegerCase{"-40", -40},
                      IntegerCase{"+7", 7}, IntegerCase{"010", 10},
                      IntegerCase{"2147483647", 2147483647}, IntegerCase{"-2147483648", INT32_MIN},
                      IntegerCase{"2147483648", {}}, IntegerCase{"-2147483649", {}},
                      IntegerCase{"99999999999999999999", {}}, IntegerCase{"", {}},
                      IntegerCase{"-", {}}, IntegerCase{"1.5", {}}, IntegerCase{"12a", {}},
                      IntegerCase{"- 1", {}}, IntegerCase{"yes", {}}, IntegerCase{"green", {}}));

INSTANTIATE_TEST_SUITE_P(
    Hexadecimal, ProfileIntegerTest,
    ::testing::Values(IntegerCase{"0xFF", 255}, IntegerCase{"0XfF", 255},
                      IntegerCase{"$FF00", 65280}, IntegerCase{"$ff", 255}, IntegerCase{"0x10", 16},
                      IntegerCase{"$FFFFFFFF", -1}, IntegerCase{"0x7FFFFFFF", 2147483647},
                      IntegerCase{"$0000000000FF", 255}, IntegerCase{"0x100000000", {}},
                      IntegerCase{"0x", {}}, IntegerCase{"$", {}}, IntegerCase{"0xG1", {}},
                      IntegerCase{"0x-1", {}}, IntegerCase{"-$FF", {}}, IntegerCase{"00x10", {}}));

}  // namespace
}  // namespace kestrin
