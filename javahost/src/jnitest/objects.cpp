#include "jnitest/objects.h"

#include "jnitest/failure.h"
#include "jnitest/modified_utf8.h"

#include <algorithm>
#include <cstring>

namespace brevan::jnitest::detail {
namespace {

std::string prefixed(const char* function, const std::string& what) {
  return std::string(function) + ": " + what;
}

template <class T>
std::vector<std::uint8_t> copyOf(const std::vector<T>& values) {
  std::vector<std::uint8_t> copy(values.size() * sizeof(T));
  if (!copy.empty()) std::memcpy(copy.data(), values.data(), copy.size());
  return copy;
}

template <class T>
void copyInto(std::vector<T>& values, const std::vector<std::uint8_t>& copy) {
  std::size_t size = std::min(copy.size(), values.size() * sizeof(T));
  if (size != 0) std::memcpy(values.data(), copy.data(), size);
}

}  // namespace

const char* kindName(Kind kind) {
  switch (kind) {
    case Kind::String:
      return "a string";
    case Kind::ByteArray:
      return "a byte array";
    case Kind::IntArray:
      return "an int array";
    case Kind::ObjectArray:
      return "an object array";
    case Kind::Class:
      return "a class";
    case Kind::Throwable:
      return "a throwable";
  }
  return "an object";
}

jobject ObjectStore::newRef(ObjectPtr object) {
  if (!object) return nullptr;
  auto ref = std::make_unique<Ref>();
  ref->object = std::move(object);
  std::lock_guard<std::mutex> lock(mutex_);
  const void* key = ref.get();
  refs_.emplace(key, std::move(ref));
  return static_cast<jobject>(const_cast<void*>(key));
}

const ObjectStore::Ref& ObjectStore::liveRef(jobject ref, const char* function) const {
  auto found = refs_.find(ref);
  if (found == refs_.end()) fail(prefixed(function, "not a reference of this JVM"));
  if (found->second->deleted) fail(prefixed(function, "reference used after it was deleted"));
  return *found->second;
}

ObjectPtr ObjectStore::get(jobject ref, Kind expected, const char* function, bool allowNull) const {
  if (ref == nullptr) {
    if (!allowNull)
      fail(prefixed(function, std::string("null where ") + kindName(expected) + " is required"));
    return nullptr;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  const ObjectPtr& object = liveRef(ref, function).object;
  if (object->kind != expected) {
    fail(prefixed(function, std::string("expected ") + kindName(expected) + ", got " +
                                kindName(object->kind)));
  }
  return object;
}

ObjectPtr ObjectStore::getAny(jobject ref, const char* function) const {
  if (ref == nullptr) return nullptr;
  std::lock_guard<std::mutex> lock(mutex_);
  return liveRef(ref, function).object;
}

ObjectPtr ObjectStore::getArray(jobject ref, const char* function) const {
  ObjectPtr object = getAny(ref, function);
  if (!object) fail(prefixed(function, "null where an array is required"));
  if (object->kind != Kind::ByteArray && object->kind != Kind::IntArray &&
      object->kind != Kind::ObjectArray) {
    fail(prefixed(function, std::string("expected an array, got ") + kindName(object->kind)));
  }
  return object;
}

void ObjectStore::deleteRef(jobject ref, const char* function) {
  if (ref == nullptr) return;
  std::lock_guard<std::mutex> lock(mutex_);
  auto found = refs_.find(ref);
  if (found == refs_.end()) fail(prefixed(function, "not a reference of this JVM"));
  if (found->second->deleted) fail(prefixed(function, "reference deleted twice"));
  found->second->deleted = true;
  ++deleted_;
}

std::size_t ObjectStore::deletedRefs() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return deleted_;
}

void* ObjectStore::addPin(const ObjectPtr& object, std::vector<std::uint8_t> copy) {
  Pin pin;
  pin.object = object;
  pin.copy = std::move(copy);
  pin.copy.reserve(1);  // a distinct, non-null pointer even for an empty array
  void* pointer = pin.copy.data();
  std::lock_guard<std::mutex> lock(mutex_);
  pins_.emplace(pointer, std::move(pin));
  return pointer;
}

void* ObjectStore::pinElements(const ObjectPtr& array) {
  return addPin(array, array->kind == Kind::ByteArray ? copyOf(array->bytes) : copyOf(array->ints));
}

void* ObjectStore::pinCritical(const ObjectPtr& array) {
  static std::uint8_t emptyStorage;
  void* pointer = &emptyStorage;
  if (array->kind == Kind::ByteArray && !array->bytes.empty()) pointer = array->bytes.data();
  if (array->kind == Kind::IntArray && !array->ints.empty()) pointer = array->ints.data();
  Pin pin;
  pin.object = array;
  pin.critical = true;
  std::lock_guard<std::mutex> lock(mutex_);
  pins_.emplace(pointer, std::move(pin));
  return pointer;
}

const jchar* ObjectStore::pinChars(const ObjectPtr& string) {
  std::u16string text = string->text;
  text.push_back(u'\0');  // the JVM's copies end in NUL; libraries may rely on it
  std::vector<std::uint8_t> copy(text.size() * sizeof(char16_t));
  std::memcpy(copy.data(), text.data(), copy.size());
  return static_cast<const jchar*>(addPin(string, std::move(copy)));
}

const char* ObjectStore::pinUtf(const ObjectPtr& string) {
  std::string utf = toModifiedUtf8(string->text);
  std::vector<std::uint8_t> copy(utf.begin(), utf.end());
  copy.push_back(0);
  return static_cast<const char*>(addPin(string, std::move(copy)));
}

void ObjectStore::writeBack(const Pin& pin) {
  if (pin.critical) return;
  if (pin.object->kind == Kind::ByteArray) copyInto(pin.object->bytes, pin.copy);
  if (pin.object->kind == Kind::IntArray) copyInto(pin.object->ints, pin.copy);
}

void ObjectStore::release(const ObjectPtr& object, const void* pointer, jint mode,
                          const char* function) {
  if (mode != 0 && mode != JNI_COMMIT && mode != JNI_ABORT) {
    fail(prefixed(function, "unknown release mode " + std::to_string(mode)));
  }
  std::lock_guard<std::mutex> lock(mutex_);
  auto range = pins_.equal_range(pointer);
  auto pin = std::find_if(range.first, range.second,
                          [&](const auto& entry) { return entry.second.object == object; });
  if (pin == range.second) fail(prefixed(function, "buffer was not handed out for this object"));
  if (mode != JNI_ABORT) writeBack(pin->second);
  if (mode != JNI_COMMIT) pins_.erase(pin);
}

std::size_t ObjectStore::pinnedBuffers() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return pins_.size();
}

}  // namespace brevan::jnitest::detail
