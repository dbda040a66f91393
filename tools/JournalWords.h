#pragma once
// The 200 feeling and everyday words a journal uses most: every one of them
// is a headword of the thesaurus the build compiles (feelings first, then
// the days, people, places and doings of a journal).
inline constexpr const char* kJournalWords[] = {
    "happy", "sad", "angry", "calm", "tired", "grateful", "lonely", "excited", "nervous", "proud",
    "peaceful", "relaxed", "depressed", "jealous", "anxious", "bored", "cheerful", "frustrated",
    "hopeful", "content", "afraid", "scared", "worried", "upset", "glad", "joyful", "thankful",
    "confident", "confused", "disappointed", "embarrassed", "guilty", "ashamed", "hurt", "annoyed",
    "irritated", "furious", "miserable", "unhappy", "stressed", "exhausted", "sleepy", "restless",
    "curious", "amazed", "surprised", "shocked", "relieved", "satisfied", "pleased", "delighted",
    "thrilled", "eager", "optimistic", "pessimistic", "hopeless", "helpless", "insecure", "shy",
    "brave", "sick", "ill", "healthy", "energetic", "busy", "comfortable", "uncomfortable",
    "serious", "good", "bad", "great", "terrible", "awful", "wonderful", "beautiful", "lovely",
    "nice", "kind", "gentle", "patient", "impatient", "tense", "heartbroken", "grief", "sorrow",
    "joy", "love", "hate", "fear", "worry", "anxiety", "stress", "anger", "sadness", "happiness",
    "loneliness", "peace", "hope", "pride", "shame", "guilt", "regret", "relief", "surprise",
    "gratitude", "comfort", "day", "week", "month", "year", "today", "yesterday", "tomorrow",
    "morning", "afternoon", "evening", "night", "weekend", "holiday", "birthday", "moment", "time",
    "life", "memory", "dream", "thought", "family", "friend", "mother", "father", "parent", "child",
    "son", "daughter", "brother", "sister", "husband", "wife", "partner", "baby", "dog", "cat",
    "home", "house", "room", "school", "work", "office", "job", "money", "food", "breakfast",
    "lunch", "dinner", "walk", "run", "exercise", "sleep", "rest", "music", "book", "trip",
    "travel", "visit", "vacation", "weather", "rain", "sun", "write", "read", "learn", "study",
    "think", "feel", "remember", "forget", "wonder", "plan", "decide", "try", "fail", "succeed",
    "win", "lose", "change", "grow", "laugh", "cry", "smile", "talk", "listen", "meet", "help",
    "wait", "enjoy", "miss", "need", "want", "wish", "coffee",
};
