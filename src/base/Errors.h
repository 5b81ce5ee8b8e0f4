#pragma once
// The program's exceptions. Every message is the exact text the user sees.
#include <stdexcept>
#include <string>

namespace qv {

// Base of every error the core raises.
class EQuivara : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A library or project file that is not what it claims to be, or does not hold together.
class EFormatError : public EQuivara {
 public:
  using EQuivara::EQuivara;
};

// A read past the end of a section or file, or a file that cannot be read or written.
class EStreamError : public EQuivara {
 public:
  using EQuivara::EQuivara;
};

// A picture file that cannot be decoded, or a picture operation given bad input.
class EPictureError : public EQuivara {
 public:
  using EQuivara::EQuivara;
};

// An output the chosen file format cannot hold (too wide, too large).
class EOutputTooLarge : public EQuivara {
 public:
  using EQuivara::EQuivara;
};

// No library record qualifies for a cell ("Quivara run out of tiles:" ...).
class EOutOfTiles : public EQuivara {
 public:
  using EQuivara::EQuivara;
};

// A pass ended by the user's stop request where the pass reports it as an error.
class EStopped : public EQuivara {
 public:
  using EQuivara::EQuivara;
};

}  // namespace qv
