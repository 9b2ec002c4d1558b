// The protocol's numbered kinds that the server's answers carry, in one place.
#pragma once

namespace OrvexConfigValidate::Lsp {

namespace SymbolKind {
constexpr int kClass = 5;
constexpr int kString = 15;
constexpr int kNumber = 16;
constexpr int kBoolean = 17;
constexpr int kArray = 18;
constexpr int kObject = 19;
constexpr int kNull = 21;
constexpr int kStruct = 23;
}  // namespace SymbolKind

namespace CompletionItemKind {
constexpr int kProperty = 10;
constexpr int kValue = 12;
constexpr int kKeyword = 14;
constexpr int kEnumMember = 20;
}  // namespace CompletionItemKind

namespace DocumentHighlightKind {
constexpr int kRead = 2;
constexpr int kWrite = 3;
}  // namespace DocumentHighlightKind

namespace MessageType {
constexpr int kError = 1;
constexpr int kWarning = 2;
constexpr int kLog = 4;
}  // namespace MessageType

}  // namespace OrvexConfigValidate::Lsp
