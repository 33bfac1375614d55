// The Java-like objects of the test JNI host and the references and pinned buffers that
// libraries hold on them. Every misuse (a stale or foreign reference, a wrong kind, a release
// of a buffer that was never handed out) fails loudly, naming the JNI function.
#pragma once

#include <jni.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace brevan::jnitest::detail {

enum class Kind { String, ByteArray, IntArray, ObjectArray, Class, Throwable };

struct Object {
  explicit Object(Kind k) : kind(k) {}
  Kind kind;
  std::u16string text;                            // String
  std::vector<std::uint8_t> bytes;                // ByteArray
  std::vector<jint> ints;                         // IntArray
  std::vector<std::shared_ptr<Object>> elements;  // ObjectArray (null entries allowed)
  std::string className;                          // Class, Throwable
};

using ObjectPtr = std::shared_ptr<Object>;

const char* kindName(Kind kind);

class ObjectStore {
 public:
  // A new reference; null object gives a null reference.
  jobject newRef(ObjectPtr object);
  // The object of a live reference of the expected kind; fails otherwise. Null gives null
  // when allowNull, else fails.
  ObjectPtr get(jobject ref, Kind expected, const char* function, bool allowNull = false) const;
  // Any live reference (or null).
  ObjectPtr getAny(jobject ref, const char* function) const;
  ObjectPtr getArray(jobject ref, const char* function) const;
  // Ends a reference; null is allowed and ignored, as in the JVM.
  void deleteRef(jobject ref, const char* function);
  std::size_t deletedRefs() const;

  // Pinned buffers. Copies (array elements, string chars) are written back on release with
  // mode 0 or JNI_COMMIT; critical pins hand out the array's own storage.
  void* pinElements(const ObjectPtr& array);
  void* pinCritical(const ObjectPtr& array);
  const jchar* pinChars(const ObjectPtr& string);
  const char* pinUtf(const ObjectPtr& string);
  void release(const ObjectPtr& object, const void* pointer, jint mode, const char* function);
  std::size_t pinnedBuffers() const;

 private:
  struct Ref {
    ObjectPtr object;
    bool deleted = false;
  };
  struct Pin {
    ObjectPtr object;
    std::vector<std::uint8_t> copy;  // empty for critical pins
    bool critical = false;
  };
  const Ref& liveRef(jobject ref, const char* function) const;
  void* addPin(const ObjectPtr& object, std::vector<std::uint8_t> copy);
  static void writeBack(const Pin& pin);

  mutable std::mutex mutex_;
  // Refs are never freed, so a stale reference is recognised rather than reused.
  std::unordered_map<const void*, std::unique_ptr<Ref>> refs_;  // guarded by mutex_
  std::multimap<const void*, Pin> pins_;                        // guarded by mutex_
  std::size_t deleted_ = 0;                                     // guarded by mutex_
};

}  // namespace brevan::jnitest::detail
