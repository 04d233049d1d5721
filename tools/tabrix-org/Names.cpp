// Name lists for realistic organisations.
#include "Names.h"

#include <array>
#include <cctype>

namespace tabrixorg {

namespace {

// Texts are 8-bit Windows (Latin-1) text, as Exchange hands them out.
constexpr std::array<const char*, 48> kFirst = {
    "James",   "Mary",     "John",      "Patricia", "Robert",  "Jennifer", "Michael", "Linda",
    "William", "Barbara",  "David",     "Susan",    "Richard", "Jessica",  "Joseph",  "Sarah",
    "Thomas",  "Karen",    "Charles",   "Nancy",    "Daniel",  "Lisa",     "Matthew", "Margaret",
    "Anthony", "Betty",    "Mark",      "Sandra",   "Paul",    "Ashley",   "Steven",  "Dorothy",
    "Andrew",  "Kimberly", "Kenneth",   "Emily",    "George",  "Donna",    "Brian",   "Michelle",
    "Sean",    "Siobhan",  "J\xFCrgen", "Zo\xEB",   "Ana",     "Pieter",   "Ingrid",  "Rajesh"};
constexpr std::array<const char*, 48> kLast = {
    "Smith",    "Johnson",   "Williams",     "Brown",     "Jones",         "Garcia",   "Miller",
    "Davis",    "Rodriguez", "Martinez",     "Hernandez", "Lopez",         "Gonzalez", "Wilson",
    "Anderson", "Thomas",    "Taylor",       "Moore",     "Jackson",       "Martin",   "Lee",
    "Perez",    "Thompson",  "White",        "Harris",    "Sanchez",       "Clark",    "Ramirez",
    "Lewis",    "Robinson",  "Walker",       "Young",     "O'Brien",       "O'Neil",   "D'Angelo",
    "O'Connor", "McDonald",  "Van der Berg", "M\xFCller", "\xD8stergaard", "Nguyen",   "Kowalski",
    "Schmidt",  "Dubois",    "Rossi",        "Patel",     "Kim",           "Svensson"};
constexpr std::array<const char*, 24> kFolders = {
    "Projects", "Customers",   "Newsletters", "Archive 2005", "Reports",  "Travel",
    "HR",       "Finance",     "Vendors",     "Q&A",          "Old mail", "Team",
    "Meetings", "Receipts",    "Personal",    "Budget 2006",  "Support",  "Bob's stuff",
    "Invoices", "Drafts 2004", "Partners",    "Training",     "Legal",    "Misc"};

}  // namespace

PersonName PickPerson(std::uint64_t bits) {
  return {kFirst[bits % kFirst.size()], kLast[(bits >> 16) % kLast.size()]};
}

std::string DisplayName(const PersonName& person, std::uint64_t bits) {
  if (bits % 4 == 0) return person.last + ", " + person.first;
  return person.first + " " + person.last;
}

std::string MakeAlias(const PersonName& person, std::unordered_map<std::string, int>* taken) {
  std::string base;
  auto keep = [&](const std::string& text, std::size_t limit) {
    std::size_t kept = 0;
    for (unsigned char c : text) {
      if (kept == limit) break;
      if (std::isalpha(c)) {
        base += static_cast<char>(std::tolower(c));
        ++kept;
      }
    }
  };
  keep(person.first, 1);
  keep(person.last, 12);
  if (base.size() < 2) base = "user";
  // Bases are letters only, so "jsmith2" can never be another base.
  int uses = ++(*taken)[base];
  if (uses == 1) return base;
  base += std::to_string(uses);
  return base;
}

std::string UserFolderName(std::uint64_t bits, int depth) {
  std::string name = kFolders[bits % kFolders.size()];
  if (depth > 1) {
    name += ' ';
    name += std::to_string(1 + (bits >> 8) % 9);
  }
  return name;
}

}  // namespace tabrixorg
