// Typed access to the engine's numbered configuration items.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace corvina {

class EngineLibrary;

class EngineConfig {
  public:
    EngineConfig();
    explicit EngineConfig(const EngineLibrary& library);
    ~EngineConfig() { handle_ = 0; }
    EngineConfig(const EngineConfig&) = default;
    EngineConfig& operator=(const EngineConfig&) = default;

    void bind(int handle) { handle_ = handle; }
    int handle() const { return handle_; }

    void set(int item, const std::string& text) const;
    std::string get(int item) const;

    // Flags are written "1"/"0" and read true only for exactly "1".
    void setFlag(int item, bool on) const { set(item, on ? "1" : "0"); }
    bool getFlag(int item) const { return get(item) == "1"; }
    // Numbers are written in decimal and read as a real, truncated toward zero;
    // text that is no number reads 0.
    void setNumber(int item, int value) const { set(item, std::to_string(value)); }
    int getNumber(int item) const { return parseNumber(get(item)); }
    static int parseNumber(const std::string& text);

    // One accessor per item, in item order.
    std::string item1() const { return get(1); }
    void setItem2(const std::string& t) const { set(2, t); }
    std::string item2() const { return get(2); }
    void setItem3(const std::string& t) const { set(3, t); }
    std::string item3() const { return get(3); }
    std::string item4() const { return get(4); }
    int item5() const { return getNumber(5); }
    void setItem6(int v) const { setNumber(6, v); }
    int item6() const { return getNumber(6); }
    int item7() const { return getNumber(7); }
    void setItem8(bool on) const { setFlag(8, on); }
    bool item8() const { return getFlag(8); }
    void setItem9(bool on) const { setFlag(9, on); }
    // The text with ";" appended, split at ";".
    std::vector<std::string> item10() const;
    std::string item11() const { return get(11); }
    void setItem11(const std::string& t) const { set(11, t); }
    void setItem12(bool on) const { setFlag(12, on); }
    bool item12() const { return getFlag(12); }
    void setItem13(int v) const { setNumber(13, v); }
    int item13() const { return getNumber(13); }
    // Sets the flag when a value is given; returns the flag.
    bool item14(std::optional<bool> on = {}) const { return flagAccessor(14, on); }
    bool item15(std::optional<bool> on = {}) const { return flagAccessor(15, on); }
    bool item16(std::optional<bool> on = {}) const { return flagAccessor(16, on); }
    bool item17(std::optional<bool> on = {}) const { return flagAccessor(17, on); }
    void setItem18(int v) const { setNumber(18, v); }
    void setItem19(const std::string& t) const { set(19, t); }
    void clearItem21() const { set(21, ""); }
    std::string item22() const { return get(22); }
    void setItem23(const std::string& t) const { set(23, t); }
    std::string item23() const { return get(23); }
    void setItem24(const std::string& t) const { set(24, t); }
    void setItem25(const std::string& t) const { set(25, t); }
    void setItem26On() const { set(26, "1"); }
    void setItem26Off() const { set(26, "0"); }
    bool item27(std::optional<bool> on = {}) const { return flagAccessor(27, on); }
    bool item28(std::optional<bool> on = {}) const { return flagAccessor(28, on); }
    int item29() const { return getNumber(29); }
    int item30() const { return getNumber(30); }
    int item31() const { return getNumber(31); }
    int item32() const { return getNumber(32); }

  private:
    bool flagAccessor(int item, std::optional<bool> on) const;

    const EngineLibrary* library_;
    int handle_ = 0;
};

} // namespace corvina
