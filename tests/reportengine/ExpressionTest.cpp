// The expression language and its number patterns, one row per case.
#include <gtest/gtest.h>

#include "EngineTestReports.h"
#include "Expression.h"
#include "NumberFormat.h"

namespace reportengine {
namespace {

struct PatternCase {
  const char* pattern;
  double value;
  const char* text;
  const char* why;
};

TEST(NumberFormat, PatternsPrintAsTheReportsExpect) {
  const PatternCase cases[] = {
      {"##0.0", 1.5, "1.5", "one decimal"},
      {"##0.0", 2000, "2000.0", "no grouping without a comma"},
      {"##0.0", 0, "0.0", "the '0' before the point keeps a zero"},
      {"##0.0", -0.04, "0.0", "a value that rounds to zero has no sign"},
      {"##0.0", -1.25, "-1.3", "half away from zero"},
      {"###,###,##0.0", 2001.5, "2,001.5", "comma groups thousands"},
      {"###,###,##0.0", 2929687.5, "2,929,687.5", "two groups"},
      {"###,###,##0", 12345, "12,345", "whole numbers"},
      {"#,##0", 999.5, "1,000", "rounding carries into a new group"},
      {"0.00", 0.125, "0.13", "exact half rounds up, not to even"},
      {"#.##", 0.5, ".5", "'#' drops a zero integer part"},
      {"0.0#", 1.5, "1.5", "optional second decimal left out"},
      {"0.0#", 1.257, "1.26", "optional second decimal printed"},
      {"000", 7, "007", "'0' pads"},
      {"##0.0", 1e20, "100000000000000000000.0", "beyond exact whole numbers"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FormatNumeric(QString::fromLatin1(c.pattern), c.value).toStdString(), c.text)
        << c.pattern << " " << c.value << ": " << c.why;
}

const QStringList kFields{"FolderItems", "FolderSize", "Mailbox"};

struct Row {
  std::int64_t items;
  double size;
  const char* mailbox;
};

RecordView View(const Row& row) {
  return [row](int field) -> Value {
    if (field == 0) return row.items;
    if (field == 1) return row.size;
    return QString::fromLatin1(row.mailbox);
  };
}

TEST(Expression, EvaluatesOverTheCurrentRecord) {
  const struct {
    const char* text;
    const char* result;
  } cases[] = {
      {"FolderItems", "12"},
      {"folderitems + 3", "15"},  // names are case-blind
      {"FolderSize * 2", "3"},
      {"'it''s'", "it's"},
      {"FORMATNUMERIC('##0.0', FolderSize)", "1.5"},
      {"Mailbox + ' ' + FolderItems", "Box 12"},
      {"-(FolderItems - 2) * 2", "-20"},
      {"7 / 2", "3.5"},
      {" ( 1 + 2 ) * 3 ", "9"},
  };
  const Row row{12, 1.5, "Box"};
  for (const auto& c : cases)
    EXPECT_EQ(ValueText(Expression::Parse(c.text, kFields).Evaluate(View(row))).toStdString(),
              c.result)
        << c.text;
}

TEST(Expression, SumsAddUpEveryAccumulatedRecordUntilReset) {
  auto items = Expression::Parse("SUM(FolderItems)", kFields);
  auto size = Expression::Parse("FORMATNUMERIC('##0.0',Sum(FolderSize))", kFields);
  const Row current{1, 1, "x"};
  EXPECT_EQ(ValueText(items.Evaluate(View(current))), "0");
  for (const Row& row : {Row{10, 1.5, "a"}, Row{12345, 2000.0, "b"}}) {
    items.Accumulate(View(row));
    size.Accumulate(View(row));
  }
  EXPECT_EQ(ValueText(items.Evaluate(View(current))), "12355");
  EXPECT_EQ(ValueText(size.Evaluate(View(current))), "2001.5");
  items.ResetSums();
  EXPECT_EQ(ValueText(items.Evaluate(View(current))), "0");
}

TEST(Expression, BadTextsAndValuesGiveClearErrors) {
  const struct {
    const char* text;
    const char* message;  // a part of what() that names the fault
  } cases[] = {
      {"FolderItems +", "ends too early at position 14"},
      {"Nope", "unknown field 'Nope' at position 1"},
      {"FOO(1)", "unknown function 'FOO'"},
      {"'open", "text literal is not closed at position 1"},
      {"(1", "')' expected"},
      {"1 2", "unexpected '2' at position 3"},
      {"SUM(SUM(FolderItems))", "SUM inside SUM"},
      {"FolderItems / 0", "division by zero"},
      {"FolderItems / (FolderSize - 1.5)", "division by zero"},
      {"FORMATNUMERIC(1, 2)", "needs a text pattern first"},
      {"FORMATNUMERIC('#x', 1)", "only 0 # . , are known"},
      {"Mailbox * 2", "arithmetic needs numbers"},
      {"SUM(Mailbox)", "SUM needs numbers"},
      {"9223372036854775807 + 1", "whole number overflow"},
      {"-(-9223372036854775807 - 1)", "whole number overflow"},
  };
  const Row row{12, 1.5, "Box"};
  for (const auto& c : cases) {
    try {
      auto e = Expression::Parse(c.text, kFields);
      e.Accumulate(View(row));
      e.Evaluate(View(row));
      ADD_FAILURE() << c.text << " raised nothing";
    } catch (const ExpressionError& error) {
      EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos)
          << c.text << " -> " << error.what();
    }
  }
}

}  // namespace
}  // namespace reportengine
