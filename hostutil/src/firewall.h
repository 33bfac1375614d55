#pragma once

#include <functional>
#include <set>
#include <string>
#include <vector>

namespace brevan::hostutil {

struct KnownProduct {
  const char16_t* searchText;
  const char16_t* verdict;
};

// Known third-party products, in scan order, closed by the "<endoflist>" row.
extern const KnownProduct kKnownProducts[];
extern const char16_t kEndOfList[];

// "name[verdict]" for every known-product row whose search text occurs in the name
// (case-sensitive); one name can match several rows.
std::u16string verdictsFor(const std::u16string& productName);

// Where installed product names come from (WMI for real). Either error is set, with the text
// the method returns, or every product name was handed to the visitor.
class InstalledProducts {
 public:
  virtual ~InstalledProducts() = default;
  virtual bool list(const std::function<void(const std::u16string& name)>& visit,
                    std::u16string& error) = 0;
};

// The installed-products result: the matches of all products in the source's order, or the
// source's error text (never a partial list).
std::u16string reportInstalledProducts(InstalledProducts& source);

using TextMapping = std::function<std::u16string(const std::u16string&)>;

// One row per Java row: element 0 as given, the others through upperCase, then kEndOfList.
using ProductRows = std::vector<std::vector<std::u16string>>;
ProductRows runningProductTable(const ProductRows& javaRows, const TextMapping& upperCase);

// Report names of the rows all of whose program files are in runningImages (upper-cased image
// names), joined by ",", scanning until a row whose element 0 is "<endoflist>".
std::u16string reportRunningProducts(const ProductRows& table,
                                     const std::set<std::u16string>& runningImages);

}  // namespace brevan::hostutil
